#include "lookups/grid/flexgrid.h"
#include "core/msgservice.h"
#include "core/scaling.h"
#include "lookups/grid/gridsort.h"
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QFileDialog>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMenu>
#include <QSaveFile>
#include <QLineEdit>
#include <QScrollBar>
#include <QVarLengthArray>
#include <QStyledItemDelegate>
#include <algorithm>
#include <cstring>
#include <thread>
#include <numeric>
#include <vector>

namespace qel {

namespace {

// A cell as a spreadsheet should read it: quoted when it holds the separator, a quote or a line
// break; and a text that a spreadsheet would take for a formula ("=HYPERLINK(...)" in a data
// file) kept as text.
QString exportCell(QString v, QChar separator)
{
    static const QString formulaStart = QStringLiteral("=+-@");
    bool number = false;
    v.toDouble(&number);
    if (!v.isEmpty() && formulaStart.contains(v[0]) && !number)
        v.prepend(u'\'');
    if (v.contains(separator) || v.contains(u'"') || v.contains(u'\n') || v.contains(u'\r'))
        v = u'"' + v.replace(u'"', QStringLiteral("\"\"")) + u'"';
    return v;
}

std::function<QString(QWidget*)>& saveFileChooser()
{
    static std::function<QString(QWidget*)> c;
    return c;
}

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

QVariant GridModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid())
        return {};
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
        return cellText(index.row(), index.column());
    case Qt::TextAlignmentRole:
        return QVariant::fromValue(m_colFmt[index.column()].align);
    case Qt::FontRole:
        if (m_colFmt[index.column()].dataScale != 1.0) {
            QFont f = m_font;
            f.setPointSizeF(m_font.pointSizeF() * m_colFmt[index.column()].dataScale);
            return f;
        }
        return {};
    default:
        return {};
    }
}

QVariant GridModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= m_cols)
        return QAbstractTableModel::headerData(section, orientation, role);
    switch (role) {
    case Qt::DisplayRole:
        return m_header[section];
    case Qt::FontRole:
        if (m_colFmt[section].headerBold) {
            QFont f = m_font;
            f.setBold(true);
            return f;
        }
        return m_font;
    case Qt::TextAlignmentRole:
        return QVariant::fromValue(Qt::Alignment(Qt::AlignCenter));
    default:
        return {};
    }
}

Qt::ItemFlags GridModel::flags(const QModelIndex& index) const
{
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable : Qt::NoItemFlags;
}

QString GridModel::cellText(int dataRow, int col) const
{
    if (col == m_numbered)
        return QString::number(dataRow + 1);
    const Cell& c = cell(dataRow, col);
    return QString::fromUtf8(m_text.constData() + c.offset, c.length);
}

void GridModel::append(Cell& c, const char* data, qsizetype length)
{
    const qsizetype at = m_text.size();
    c.offset = quint32(at);
    c.length = quint32(length);
    if (at + length > m_text.capacity())
        m_text.reserve(std::max<qsizetype>(2 * m_text.capacity(), at + length + 4096));
    m_text.resize(at + length);
    if (length > 0)
        std::memcpy(m_text.data() + at, data, size_t(length));
}

void GridModel::store(int dataRow, int col, const char* data, qsizetype length)
{
    if (col == m_numbered)
        writeNumbers();
    ++m_generation;
    const int row = stored(dataRow);
    Cell& c = m_cells[qsizetype(row) * m_cols + col];
    const int key = m_keys.keyOf(col);
    if (key < 0) {
        append(c, data, length);
        return;
    }
    // A key column's text seen before is shared rather than stored again.
    const Cell* same = m_keys.find(key, m_text.constData(), QByteArrayView(data, length));
    if (same)
        c = *same;
    else
        append(c, data, length);
    m_keys.record(key, row, m_text.constData(), c, same);
}

void GridModel::gatherSortKeys(const QVector<int>& cols)
{
    m_keys.start(std::vector<int>(cols.begin(), cols.end()), m_rowCount);
}

void GridModel::applyOrder()
{
    if (m_order.empty())
        return;
    // Whole rows at a time, each a run of cells side by side, moved in place along the cycles of
    // the order (stored row r takes the cells of stored row m_order[r]), so that no second copy of
    // the cells is made; a row done is marked with -1.
    m_keys.clear();
    std::vector<int>& order = m_order;
    const size_t rowBytes = size_t(m_cols) * sizeof(Cell);
    QVarLengthArray<Cell, 16> held(m_cols);
    Cell* cells = m_cells.data();
    for (int start = 0; start < int(order.size()); ++start) {
        if (order[size_t(start)] < 0 || order[size_t(start)] == start)
            continue;
        std::memcpy(held.data(), cells + qsizetype(start) * m_cols, rowBytes);
        int to = start;
        for (;;) {
            const int from = order[size_t(to)];
            order[size_t(to)] = -1;
            if (from == start) {
                std::memcpy(cells + qsizetype(to) * m_cols, held.constData(), rowBytes);
                break;
            }
            std::memcpy(cells + qsizetype(to) * m_cols, cells + qsizetype(from) * m_cols, rowBytes);
            to = from;
        }
    }
    m_order.clear();
    ++m_generation;
}

void GridModel::writeNumbers()
{
    const int col = m_numbered;
    m_numbered = -1;
    if (col < 0)
        return;
    // The digits written straight into the text buffer, counting up as a number would.
    char digits[12] = {'0'};
    int width = 1;
    for (int r = 0; r < m_rowCount; ++r) {
        int i = width - 1;
        while (i >= 0 && digits[i] == '9')
            digits[i--] = '0';
        if (i >= 0) {
            ++digits[i];
        } else {
            std::memmove(digits + 1, digits, size_t(width++));
            digits[0] = '1';
        }
        store(r, col, digits, width);
    }
}

void GridModel::setRows(int rows)
{
    const int data = std::max(0, rows - 1);
    const int old = m_rowCount;
    if (data == old)
        return;
    ++m_generation;
    const bool announce = m_redraw;
    if (announce && data > old)
        beginInsertRows({}, old, data - 1);
    else if (announce)
        beginRemoveRows({}, data, old - 1);
    if (data < old && data > 0)
        applyOrder();   // the rows that go are the last shown, wherever they are stored
    else if (data == 0)
        m_order.clear();
    m_cells.resize(qsizetype(data) * m_cols);
    if (data > old)
        std::fill(m_cells.begin() + qsizetype(old) * m_cols, m_cells.end(), Cell{});
    if (!m_order.empty())
        for (int r = old; r < data; ++r)
            m_order.push_back(r);   // new rows are stored, and shown, last
    m_rowCount = data;
    m_keys.truncate(data);
    if (data == 0) {
        m_text.resize(0);   // nothing refers to the old texts any more; the space serves the next fill
        m_keys.clear();
    }
    if (announce && data > old)
        endInsertRows();
    else if (announce)
        endRemoveRows();
}

void GridModel::setCols(int cols)
{
    beginResetModel();
    writeNumbers();
    m_keys.clear();
    ++m_generation;
    QVector<Cell> cells(qsizetype(m_rowCount) * cols);
    for (int r = 0; r < m_rowCount; ++r)
        for (int c = 0; c < std::min(cols, m_cols); ++c)
            cells[qsizetype(r) * cols + c] = cell(r, c);
    m_cells = std::move(cells);
    m_order.clear();
    m_cols = cols;
    m_header.resize(cols);
    m_colFmt.resize(cols);
    endResetModel();
}

QString GridModel::text(int row, int col) const
{
    if (col < 0 || col >= m_cols)
        return {};
    if (row == 0)
        return m_header[col];
    if (row < 1 || row > m_rowCount)
        return {};
    return cellText(row - 1, col);
}

void GridModel::setTextUtf8(int row, int col, const char* data, qsizetype length)
{
    if (col < 0 || col >= m_cols || row < 1 || row > m_rowCount)
        return;
    store(row - 1, col, data, length);
    if (m_redraw) {
        const QModelIndex i = index(row - 1, col);
        emit dataChanged(i, i, {Qt::DisplayRole});
    }
}

void GridModel::setTextLike(int row, int col, int fromRow, int fromCol)
{
    if (col < 0 || col >= m_cols || fromCol < 0 || fromCol >= m_cols || row < 1 || row > m_rowCount || fromRow < 1 || fromRow > m_rowCount)
        return;
    if (col == m_numbered || fromCol == m_numbered)
        writeNumbers();
    const Cell& from = cell(fromRow - 1, fromCol);
    if (const int key = m_keys.keyOf(col); key >= 0)
        m_keys.record(key, stored(row - 1), m_text.constData(), from,
                      m_keys.find(key, m_text.constData(), QByteArrayView(m_text.constData() + from.offset, from.length)));
    cell(row - 1, col) = from;
    ++m_generation;
    if (m_redraw) {
        const QModelIndex i = index(row - 1, col);
        emit dataChanged(i, i, {Qt::DisplayRole});
    }
}

void GridModel::setText(int row, int col, const QString& value)
{
    if (col < 0 || col >= m_cols)
        return;
    if (row == 0) {
        m_header[col] = value;
        if (m_redraw)
            emit headerDataChanged(Qt::Horizontal, col, col);
        return;
    }
    const QByteArray utf8 = value.toUtf8();
    setTextUtf8(row, col, utf8.constData(), utf8.size());
}

void GridModel::setAlignment(int col, Qt::Alignment a)
{
    if (col >= 0 && col < m_cols)
        m_colFmt[col].align = a | Qt::AlignVCenter;
}

void GridModel::setHeaderBold(int col, bool bold)
{
    if (col >= 0 && col < m_cols) {
        m_colFmt[col].headerBold = bold;
        emit headerDataChanged(Qt::Horizontal, col, col);
    }
}

void GridModel::setDataFontScale(int col, double scale)
{
    if (col >= 0 && col < m_cols) {
        m_colFmt[col].dataScale = scale;
        if (m_redraw && m_rowCount > 0)
            emit dataChanged(index(0, col), index(m_rowCount - 1, col), {Qt::FontRole});
    }
}

void GridModel::sortColumns(const QVector<int>& cols)
{
    for (int c : cols)
        if (c < 0 || c >= m_cols)
            return;
    const std::vector<int> keyCols(cols.begin(), cols.end());
    if (cols.contains(m_numbered))
        writeNumbers();
    // Keys gathered while the rows were written serve a sort by the same columns in stored order.
    const std::vector<gridsort::Prepared> prepared =
        m_order.empty() ? m_keys.finish(keyCols, m_rowCount, m_text.constData(), m_cells.constData(), m_cols) : std::vector<gridsort::Prepared>();
    m_keys.clear();
    if (cols.isEmpty() || m_rowCount < 2)
        return;
    std::vector<gridsort::Column> keys;
    for (int i = 0; i < cols.size(); ++i)
        keys.push_back({m_text.constData(), m_cells.constData() + cols[i], m_cols, m_order.empty() ? nullptr : m_order.data(),
                        prepared.empty() ? nullptr : &prepared[size_t(i)]});
    // The widths' candidates do not depend on the order: a large grid has them found on the
    // other core meanwhile, for the sizing that follows a sort.
    std::jthread widest;
    if (m_rowCount >= 32768)
        widest = std::jthread([this] { m_widest = widestRows(false); });
    std::vector<int> order = gridsort::order(m_rowCount, keys);
    if (widest.joinable()) {
        widest.join();
        m_widestFor = m_generation;
    }
    if (m_redraw)
        emit layoutAboutToBeChanged();
    // Rows are not moved: the grid shows stored row m_order[r] as its row r.
    if (!m_order.empty())
        for (int& r : order)
            r = m_order[size_t(r)];
    m_order = std::move(order);
    if (m_redraw)
        emit layoutChanged();
}

void GridModel::setRedraw(bool on)
{
    if (on == m_redraw)
        return;
    if (on)
        beginResetModel();
    m_redraw = on;
    if (on)
        endResetModel();
}

void GridModel::numberRows(int col)
{
    if (col < 0 || col >= m_cols || m_rowCount == 0)
        return;
    if (m_numbered != col)
        writeNumbers();
    // The column reads 1, 2, 3 ... from the rows' positions; its cells are not written until
    // something else is written into it.
    m_numbered = col;
    if (m_redraw)
        emit dataChanged(index(0, col), index(m_rowCount - 1, col), {Qt::DisplayRole});
}

std::vector<GridModel::Widest> GridModel::widestRows(bool split) const
{
    // Lengths here are in bytes, which rank the texts closely enough for choosing candidates. The
    // rows are read once for all the columns (in two halves side by side when split).
    const auto scan = [this](qsizetype from, qsizetype to) {
        std::vector<Widest> best(static_cast<size_t>(m_cols));
        // Per column, the length a text must exceed to be a candidate (-1 while there are fewer).
        std::vector<int> floor(static_cast<size_t>(m_cols), -1);
        for (qsizetype r = from; r < to; ++r) {
            const Cell* row = m_cells.constData() + r * m_cols;
            for (int col = 0; col < m_cols; ++col) {
                const Cell& c = row[col];
                if (int(c.length) <= floor[size_t(col)])
                    continue;   // no line of it can be longer than the shortest candidate
                Widest& heap = best[size_t(col)];
                int len = 0, start = 0;
                const char* p = m_text.constData() + c.offset;
                for (int i = 0; i <= int(c.length); ++i)
                    if (i == int(c.length) || p[i] == '\n') {
                        len = std::max(len, i - start);
                        start = i + 1;
                    }
                if (int(heap.size()) < kWidthCandidates) {
                    heap.emplace_back(len, int(r));
                    std::push_heap(heap.begin(), heap.end(), std::greater<>());
                } else if (len > heap.front().first) {
                    std::pop_heap(heap.begin(), heap.end(), std::greater<>());
                    heap.back() = {len, int(r)};
                    std::push_heap(heap.begin(), heap.end(), std::greater<>());
                }
                if (int(heap.size()) >= kWidthCandidates)
                    floor[size_t(col)] = heap.front().first;
            }
        }
        return best;
    };
    if (!split)
        return scan(0, m_rowCount);
    std::vector<Widest> first, second;
    gridsort::inHalves(m_rowCount, [&](qsizetype from, qsizetype to) { (from == 0 ? first : second) = scan(from, to); });
    for (size_t col = 0; col < second.size(); ++col)
        first[col].insert(first[col].end(), second[col].begin(), second[col].end());
    return first;
}

QVector<QStringList> GridModel::widestCandidates(int col1, int col2) const
{
    // Measuring every row of a large result with font metrics takes seconds; the width is
    // decided by the longest texts, so only those are measured. A sort finds them on the side.
    col1 = std::max(col1, 0);
    col2 = std::min(col2, m_cols - 1);
    QVector<QStringList> out(std::max(0, col2 - col1 + 1));
    const std::vector<Widest> widest = m_widestFor == m_generation ? m_widest : widestRows(true);
    for (int col = col1; col <= col2; ++col) {
        if (col == m_numbered) {
            out[col - col1] = {QString::number(m_rowCount)};
            continue;
        }
        Widest best = widest[size_t(col)];
        std::sort(best.begin(), best.end(), std::greater<>());
        best.resize(std::min<size_t>(best.size(), size_t(kWidthCandidates)));
        for (const auto& [len, r] : best) {
            const Cell& c = m_cells[qsizetype(r) * m_cols + col];
            out[col - col1] << QString::fromUtf8(m_text.constData() + c.offset, c.length);
        }
    }
    return out;
}

void FlexGrid::setSaveFileChooser(std::function<QString(QWidget*)> chooser) { saveFileChooser() = std::move(chooser); }

QString FlexGrid::rowsText(const QList<int>& dataRows, QChar separator) const
{
    QList<int> cols;
    for (int c = 0; c < m_model.columnCount(); ++c)
        if (!isColumnHidden(c))
            cols << c;
    QString out;
    const auto line = [&](int gridRow) {
        QStringList cells;
        for (int c : cols)
            cells << exportCell(m_model.text(gridRow, c), separator);
        out += cells.join(separator) + QStringLiteral("\r\n");
    };
    line(0);
    for (int r : dataRows)
        line(r + 1);
    return out;
}

QString FlexGrid::selectionText() const
{
    QList<int> rows;
    for (const QModelIndex& i : selectionModel()->selectedRows())
        rows << i.row();
    if (rows.isEmpty() && currentIndex().isValid())
        rows << currentIndex().row();
    std::sort(rows.begin(), rows.end());
    return rowsText(rows, u'\t');
}

QByteArray FlexGrid::csv() const
{
    QList<int> rows(m_model.rowCount());
    std::iota(rows.begin(), rows.end(), 0);
    return rowsText(rows, u',').toUtf8();
}

bool FlexGrid::exportCsv(const QString& path, QString* error) const
{
    QSaveFile f(path);
    const QByteArray bytes = csv();
    if (f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size() && f.commit())
        return true;
    if (error)
        *error = f.errorString();
    return false;
}

void FlexGrid::copySelection() const { QApplication::clipboard()->setText(selectionText()); }

void FlexGrid::exportAsked()
{
    const QString path = saveFileChooser() ? saveFileChooser()(this)
                                           : QFileDialog::getSaveFileName(this, QStringLiteral("Export to CSV"), QString(),
                                                                          QStringLiteral("CSV files (*.csv)"));
    QString error;
    if (!path.isEmpty() && !exportCsv(path, &error))
        MessageService::inform(this, QStringLiteral("Could not write %1: %2").arg(path, error));
}

void FlexGrid::keyPressEvent(QKeyEvent* e)
{
    if (e->matches(QKeySequence::Copy)) {
        copySelection();
        return;
    }
    QTableView::keyPressEvent(e);
}

void FlexGrid::contextMenuEvent(QContextMenuEvent* e)
{
    QMenu menu(this);
    menu.setObjectName(QStringLiteral("mnuGrid"));
    menu.addAction(QStringLiteral("&Copy"), QKeySequence(QKeySequence::Copy), this, &FlexGrid::copySelection);
    menu.addAction(QStringLiteral("&Export to CSV\u2026"), this, &FlexGrid::exportAsked);
    menu.exec(e->globalPos());
}

FlexGrid::FlexGrid(QWidget* parent) : QTableView(parent)
{
    m_model.setBaseFont(font());
    setModel(&m_model);
    setItemDelegate(new ReadOnlyDelegate(this));
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::ExtendedSelection);   // rows to copy; Select takes the current one
    setEditTriggers(QAbstractItemView::NoEditTriggers);
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
    updateFrozen();
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
    m_model.sortColumn(section);
    emit AfterSort(section, 1);
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
