#include "lookups/grid/flexgrid.h"
#include "core/scaling.h"
#include "lookups/grid/gridexport.h"
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QDate>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMenu>
#include <QLineEdit>
#include <QScrollBar>
#include <QStyledItemDelegate>
#include <algorithm>
#include <vector>

namespace qel {

namespace {
// The cell editor only shows (and highlights) what the cell holds; typing does not change it.
class ReadOnlyDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& o, const QModelIndex& i) const override
    {
        auto* e = qobject_cast<QLineEdit*>(QStyledItemDelegate::createEditor(parent, o, i));
        if (e)
            e->setReadOnly(true);
        return e;
    }
    void setModelData(QWidget*, QAbstractItemModel*, const QModelIndex&) const override {}
};

} // namespace

void FlexGrid::keyPressEvent(QKeyEvent* e)
{
    if (e->matches(QKeySequence::Copy)) {
        QApplication::clipboard()->setText(GridExport::selectedCells(*this));
        return;
    }
    // Enter picks the current row, as Select does; Tab leaves the grid (tabKeyNavigation is off).
    if ((e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) && e->modifiers() == Qt::NoModifier && row() > 0) {
        emit rowPicked(row());
        return;
    }
    QTableView::keyPressEvent(e);
}

void FlexGrid::contextMenuEvent(QContextMenuEvent* e)
{
    QMenu menu(this);
    menu.setObjectName(QStringLiteral("mnuGrid"));
    menu.addAction(QStringLiteral("&Copy"), QKeySequence(QKeySequence::Copy), this,
                   [this] { QApplication::clipboard()->setText(GridExport::selectedCells(*this)); });
    QAction* copyRow = menu.addAction(QStringLiteral("Copy &row"), this,
                                      [this] { QApplication::clipboard()->setText(GridExport::rowText(*this, row())); });
    QAction* copyCode = menu.addAction(QStringLiteral("Copy co&de"), this, [this] { QApplication::clipboard()->setText(codeText(row())); });
    copyRow->setEnabled(row() > 0);
    copyCode->setEnabled(row() > 0 && !m_codeColumns.isEmpty());
    menu.addAction(QStringLiteral("&Export to CSV\u2026"), this, [this] {
        const QString name = (m_exportName.isEmpty() ? QStringLiteral("results") : m_exportName) + u'-'
                             + QDate::currentDate().toString(Qt::ISODate) + QStringLiteral(".csv");
        GridExport::exportAsked(*this, name);
    });
    menu.exec(e->globalPos());
}

FlexGrid::FlexGrid(QWidget* parent) : QTableView(parent)
{
    m_model.setBaseFont(font());
    setModel(&m_model);
    setItemDelegate(new ReadOnlyDelegate(this));
    // Cells to copy; Select, Enter and a double-click take the current cell's row.
    setSelectionBehavior(QAbstractItemView::SelectItems);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setTabKeyNavigation(false);
    connect(this, &QAbstractItemView::doubleClicked, this, [this](const QModelIndex& i) {
        if (i.isValid())
            emit rowPicked(i.row() + 1);
    });
    setWordWrap(false);
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setSectionsClickable(true);
    connect(horizontalHeader(), &QHeaderView::sectionClicked, this, &FlexGrid::headerClicked);
}

void FlexGrid::setCols(int cols)
{
    m_model.setBaseFont(font());
    m_model.setCols(cols);
}

int FlexGrid::row() const
{
    const QModelIndex i = currentIndex();
    return i.isValid() ? i.row() + 1 : 0;
}

void FlexGrid::setRow(int r)
{
    if (r < 1 || r >= rows()) {
        setCurrentIndex({});
        return;
    }
    const int col = std::max(0, currentIndex().column());
    setCurrentIndex(m_model.index(r - 1, col));
}

void FlexGrid::setColWidthTwips(int col, int t) { setColumnWidth(col, twips(t)); }

void FlexGrid::setCellFontBold(int row1, int col1, int, int col2, bool bold)
{
    if (row1 == 0)
        for (int c = col1; c <= col2; ++c)
            m_model.setHeaderBold(c, bold);
}

void FlexGrid::setCellFontSize(int row1, int col1, int, int col2, double points)
{
    if (row1 < 1)
        return;
    const double base = font().pointSizeF();
    for (int c = col1; c <= col2; ++c)
        m_model.setDataFontScale(c, base > 0 ? points / base : 1.0);
}

void FlexGrid::autoSizeColumns(int col1, int col2)
{
    QFont bold = font();
    bold.setBold(true);
    const QFontMetrics fm(font()), bm(bold);
    const int pad = 16;
    const QVector<QStringList> widest = m_model.widestCandidates(col1, col2);
    for (int c = std::max(0, col1); c <= std::min(col2, cols() - 1); ++c) {
        int w = bm.horizontalAdvance(m_model.text(0, c));
        for (const QString& s : widest[c - std::max(0, col1)])
            for (const QString& line : s.split(u'\n'))
                w = std::max(w, fm.horizontalAdvance(line));
        w += pad;
        if (m_colWidthMax > 0)
            w = std::min(w, m_colWidthMax);
        if (m_colWidthMin > 0)
            w = std::max(w, m_colWidthMin);
        setColumnWidth(c, w);
    }
    keepCodeInView();
    updateFrozen();
}

void FlexGrid::keepCodeInView()
{
    // The columns up to the last code column must fit the grid's width: the widest of the other
    // columns before it are capped (their texts elided, the whole text in the tooltip).
    if (m_codeColumns.isEmpty())
        return;
    const int last = *std::max_element(m_codeColumns.begin(), m_codeColumns.end());
    QVector<int> others;
    int fixed = 0;
    for (int c = 0; c <= last && c < cols(); ++c) {
        if (isColumnHidden(c))
            continue;
        if (m_codeColumns.contains(c) || c == 0)
            fixed += columnWidth(c);
        else
            others << c;
    }
    // The grid's inner width less a vertical scroll bar, which a long result shows once on screen.
    const int room = contentsRect().width() - verticalScrollBar()->sizeHint().width() - fixed;
    const auto total = [&](int cap) {
        int sum = 0;
        for (int c : others)
            sum += std::min(columnWidth(c), cap);
        return sum;
    };
    const int floorWidth = fontMetrics().horizontalAdvance(QStringLiteral("MMMMM"));
    if (others.isEmpty() || total(INT_MAX) <= room)
        return;
    int lo = floorWidth, hi = 0;
    for (int c : others)
        hi = std::max(hi, columnWidth(c));
    while (lo < hi) {   // the largest cap that fits
        const int mid = (lo + hi + 1) / 2;
        if (total(mid) <= room)
            lo = mid;
        else
            hi = mid - 1;
    }
    for (int c : others)
        if (columnWidth(c) > lo)
            setColumnWidth(c, lo);
}

void FlexGrid::autoSizeRows()
{
    m_model.setRedraw(true);   // the heights are the view's: it must know the rows first
    verticalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    resizeRowsToContents();
}

void FlexGrid::editCell(int r, int c, int selStart, int selLength)
{
    if (r < 1 || r >= rows() || c < 0 || c >= cols())
        return;
    const QModelIndex i = m_model.index(r - 1, c);
    scrollTo(i);
    setCurrentIndex(i);
    edit(i);
    for (auto* e : viewport()->findChildren<QLineEdit*>())
        if (e->isVisible() || !isVisible())
            e->setSelection(selStart, selLength);
}

void FlexGrid::headerClicked(int section)
{
    // A second click on the same header reverses the order; the header shows which way it runs.
    const bool descending = m_sortedBy == section && !m_descending;
    m_model.sortColumns({section}, descending);
    m_sortedBy = section;
    m_descending = descending;
    horizontalHeader()->setSortIndicatorShown(true);
    horizontalHeader()->setSortIndicator(section, descending ? Qt::DescendingOrder : Qt::AscendingOrder);
    emit AfterSort(section, descending ? 2 : 1);
}

QString FlexGrid::codeText(int r) const
{
    QString code;
    for (int c : m_codeColumns)
        code += textMatrix(r, c);
    return code;
}

void FlexGrid::clearHeaderSort()
{
    m_sortedBy = -1;
    m_descending = false;
    horizontalHeader()->setSortIndicatorShown(false);
}

void FlexGrid::setFrozenCols(int n)
{
    m_frozen = n;
    if (n <= 0) {
        if (m_frozenView)
            m_frozenView->hide();
        return;
    }
    if (!m_frozenView) {
        m_frozenView = new QTableView(this);
        m_frozenView->setObjectName(QStringLiteral("qt_frozen"));
        m_frozenView->setModel(&m_model);
        m_frozenView->setSelectionModel(selectionModel());
        m_frozenView->setItemDelegate(itemDelegate());
        m_frozenView->setSelectionBehavior(selectionBehavior());
        m_frozenView->setEditTriggers(QAbstractItemView::NoEditTriggers);
        m_frozenView->verticalHeader()->hide();
        m_frozenView->setFocusPolicy(Qt::NoFocus);
        m_frozenView->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        m_frozenView->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        m_frozenView->setFrameShape(QFrame::NoFrame);
        m_frozenView->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
        m_frozenView->verticalHeader()->setDefaultSectionSize(verticalHeader()->defaultSectionSize());
        m_frozenView->setStyleSheet(QStringLiteral("QTableView { border-right: 1px solid gray; }"));
        connect(verticalScrollBar(), &QScrollBar::valueChanged, m_frozenView->verticalScrollBar(), &QScrollBar::setValue);
        connect(horizontalHeader(), &QHeaderView::sectionResized, this, [this] { updateFrozen(); });
        connect(verticalHeader(), &QHeaderView::sectionResized, m_frozenView,
                [this](int i, int, int h) { m_frozenView->setRowHeight(i, h); });
    }
    m_frozenView->show();
    updateFrozen();
}

void FlexGrid::updateFrozen()
{
    if (!m_frozenView || m_frozen <= 0)
        return;
    int width = 0;
    for (int c = 0; c < cols(); ++c) {
        const bool shown = c < m_frozen && !isColumnHidden(c);
        if (m_frozenView->isColumnHidden(c) == shown)
            m_frozenView->setColumnHidden(c, !shown);
        if (shown) {
            if (m_frozenView->columnWidth(c) != columnWidth(c))
                m_frozenView->setColumnWidth(c, columnWidth(c));
            width += columnWidth(c);
        }
    }
    m_frozenView->setGeometry(frameWidth(), frameWidth(), width, viewport()->height() + horizontalHeader()->height());
}

void FlexGrid::scrollContentsBy(int dx, int dy)
{
    QTableView::scrollContentsBy(dx, dy);
    updateFrozen();
}

void FlexGrid::resizeEvent(QResizeEvent* e)
{
    QTableView::resizeEvent(e);
    updateFrozen();
}

} // namespace qel