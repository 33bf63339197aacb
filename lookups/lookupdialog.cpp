#include "lookups/lookupdialog.h"
#include "core/session.h"
#include "core/errlog.h"
#include "core/msgservice.h"
#include "core/scaling.h"
#include "db/connection.h"
#include "lookups/frminstalllist.h"
#include "lookups/grid/flexgrid.h"
#include "refdata/csvimport.h"
#include "refdata/resourcestore.h"
#include "refdata/tablesetup.h"
#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>

namespace qel {

namespace {

int s_yieldMs = 16;

const char* const kStop = "&Stop";
const char* const kBack = "&Back";

QPixmap closePicture()
{
    QPixmap p(22, 22);
    p.fill(Qt::transparent);
    QPainter g(&p);
    g.setRenderHint(QPainter::Antialiasing);
    g.setPen(QPen(QColor(150, 20, 20), 3, Qt::SolidLine, Qt::RoundCap));
    g.drawLine(5, 5, 17, 17);
    g.drawLine(17, 5, 5, 17);
    return p;
}

template <typename W>
W* named(W* w, const char* name)
{
    w->setObjectName(QString::fromLatin1(name));
    return w;
}

QPushButton* button(QWidget* parent, const char* name, const char* caption)
{
    auto* b = named(new QPushButton(QString::fromUtf8(caption), parent), name);
    b->setAutoDefault(false);
    return b;
}

QComboBox* list(QWidget* parent, const char* name, bool editable)
{
    auto* c = named(new QComboBox(parent), name);
    c->setEditable(editable);
    if (editable) {
        c->setInsertPolicy(QComboBox::NoInsert);
        c->setCompleter(nullptr);   // completion is the dialog's own (auto-completion on key release)
    }
    c->setMaxVisibleItems(20);
    return c;
}

} // namespace

void LookupDialog::setYieldInterval(int ms) { s_yieldMs = ms; }

LookupDialog::LookupDialog(const LookupSpec& spec, QWidget* parent) : LookupWindow(parent), m_spec(spec)
{
    setObjectName(QString::fromLatin1(spec.name));
    setWindowTitle(QString::fromUtf8(spec.title).replace(QStringLiteral("&&"), QStringLiteral("&")));
    const int W = 980, H = 640, margin = 16;
    setFixedSize(W, H);

    Label1 = named(new QLabel(windowTitle(), this), "Label1");
    QFont tf(QStringLiteral("Courier New"), 16, QFont::Bold);
    tf.setStyleHint(QFont::Monospace);
    Label1->setFont(tf);
    Label1->setGeometry(margin, 8, W - 80, 30);

    Image1 = named(new QLabel(this), "Image1");
    Image1->setProperty("Picture", true);
    Image1->setPixmap(closePicture());
    Image1->setAlignment(Qt::AlignCenter);
    Image1->setGeometry(W - margin - 28, 8, 28, 28);
    Image1->setToolTip(QStringLiteral("Close"));
    Image1->setCursor(Qt::PointingHandCursor);
    Image1->installEventFilter(this);

    // The selection lists in one row, then the button that searches by them.
    const int n = int(spec.lists.size());
    const int goWidth = 90;
    const int listWidth = n ? (W - 2 * margin - goWidth - 12) / n : 0;
    for (int k = 0; k < n; ++k) {
        const ListSpec& l = spec.lists[k];
        auto* lab = named(new QLabel(QString::fromUtf8(l.caption), this), l.label);
        lab->setGeometry(margin + k * listWidth, 46, listWidth - 12, 18);
        auto* c = list(this, l.combo, true);
        c->setGeometry(margin + k * listWidth, 66, listWidth - 12, 26);
        // The list itself has the focus and receives the keys (it hands them to its text).
        c->installEventFilter(this);
        connect(c, &QComboBox::currentIndexChanged, this, [this, k](int i) {
            if (i >= 0 && !m_loadingList)
                listClicked(k);
        });
        m_listLabels << lab;
        m_lists << c;
    }
    Command1 = button(this, "Command1", spec.command1);
    Command1->setGeometry(W - margin - goWidth, 65, goWidth, 28);
    connect(Command1, &QPushButton::clicked, this, [this] { Command1_Click(); });

    if (!spec.searchBy.isEmpty()) {
        Frame1 = named(new QGroupBox(QStringLiteral("Advanced Search"), this), "Frame1");
        Frame1->setGeometry(margin, 104, W - 2 * margin, 62);
        named(new QLabel(QStringLiteral("Search by"), Frame1), "Label5")->setGeometry(12, 28, 70, 20);
        Combo4 = list(Frame1, spec.searchCombo, false);
        Combo4->setGeometry(84, 25, 170, 26);
        for (const SearchItem& s : spec.searchBy)
            Combo4->addItem(QString::fromUtf8(s.caption));
        Combo4->setCurrentIndex(-1);
        named(new QLabel(QStringLiteral("Criteria"), Frame1), "Label7")->setGeometry(272, 28, 60, 20);
        Combo5 = list(Frame1, spec.criteriaCombo, false);
        Combo5->setGeometry(334, 25, 160, 26);
        Combo5->addItems({QStringLiteral("Containing"), QStringLiteral("Start with"), QStringLiteral("Whole word Only")});
        Combo5->setCurrentIndex(-1);
        Label6 = named(new QLabel(QStringLiteral("Value"), Frame1), "Label6");
        Label6->setGeometry(512, 28, 44, 20);
        Text1 = named(new QLineEdit(Frame1), "Text1");
        Text1->setGeometry(558, 25, 260, 26);
        Text1->installEventFilter(this);
        Command2 = button(Frame1, "Command2", spec.command2);
        Command2->setGeometry(W - 2 * margin - goWidth - 12, 24, goWidth, 28);
        connect(Command2, &QPushButton::clicked, this, [this] { Command2_Click(); });
    }

    const int gridTop = 178, gridBottom = H - 84;
    vsf = named(new FlexGrid(this), "vsf");
    vsf->setGeometry(margin, gridTop, W - 2 * margin, gridBottom - gridTop);
    vsf->setCols(int(spec.columns.size()) + 1);
    vsf->setTextMatrix(0, 0, QStringLiteral("Sr. No."));
    vsf->setColAlignment(0, Qt::AlignHCenter);
    vsf->setColWidthTwips(0, 960);
    for (int c = 0; c < spec.columns.size(); ++c) {
        vsf->setTextMatrix(0, c + 1, QString::fromUtf8(spec.columns[c].header));
        vsf->setColAlignment(c + 1, spec.columns[c].align);
        vsf->setColWidthTwips(c + 1, spec.columns[c].widthTwips);
    }
    vsf->setCodeColumns(spec.codeColumns);
    vsf->setExportName(QString::fromLatin1(spec.table ? spec.table->resource : spec.name));
    connect(vsf, &FlexGrid::AfterSort, this, [this] { loadSrNo(); });
    connect(vsf, &FlexGrid::rowPicked, this, [this] {
        if (!cmdselect->isHidden())
            cmdselect_Click();
    });

    pb = named(new QProgressBar(this), "pb");
    pb->setGeometry(margin + 40, (gridTop + gridBottom) / 2 - 12, W - 2 * margin - 80, 24);
    pb->hide();

    cmdselect = button(this, "cmdselect", "&Select");
    cmdselect->setGeometry(W - margin - 2 * 110 - 10, H - 44, 110, 32);
    connect(cmdselect, &QPushButton::clicked, this, [this] { cmdselect_Click(); });
    cmdback = button(this, "cmdback", kBack);
    cmdback->setGeometry(W - margin - 110, H - 44, 110, 32);
    connect(cmdback, &QPushButton::clicked, this, [this] { cmdback_Click(); });
    if (spec.resultSlots.isEmpty())
        cmdselect->hide();

    lblRows = named(new QLabel(this), "lblRows");
    lblRows->setTextFormat(Qt::PlainText);
    lblRows->setGeometry(margin, H - 44, 260, 32);
    // Where the data comes from, small, under the grid.
    lblData = named(new QLabel(this), "lblData");
    lblData->setTextFormat(Qt::PlainText);
    lblData->setWordWrap(true);
    lblData->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    QFont small = lblData->font();
    small.setPointSizeF(small.pointSizeF() * 0.85);
    lblData->setFont(small);
    lblData->setStyleSheet(QStringLiteral("QLabel { color: #555555; }"));
    lblData->setGeometry(margin, H - 80, W - 2 * margin, 34);
}

void LookupDialog::showRowCount()
{
    const int n = vsf->rows() - 1;
    lblRows->setText(QLocale(QLocale::English, QLocale::UnitedStates).toString(n) + (n == 1 ? QStringLiteral(" row") : QStringLiteral(" rows")));
}

LookupDialog::~LookupDialog()
{
    // Hiding a dialog moves the focus out of its lists, which may select an item; nothing of
    // this dialog may answer that any more.
    for (QComboBox* c : m_lists)
        disconnect(c, nullptr, this, nullptr);
}

bool LookupDialog::isFilling() const { return cmdback->text() == QLatin1String(kStop); }

void LookupDialog::setStopCaption(bool stop) { cmdback->setText(QString::fromLatin1(stop ? kStop : kBack)); }

void LookupDialog::logFailure(const char* procedure, const DbError& e) const
{
    ErrHandler(ClsObj, QString::fromLatin1(m_spec.name), procedure).fail(e);
}

void LookupDialog::InitData(Session* session)
{
    ClsObj = session;
    if (ClsObj)
        ClsObj->Resize_For_Resolution(this, false);
    if (m_spec.setupInInitData) {
        setupTables("INITDATA");
        LoadCombo(0);
        resetGrid();
        loadSrNo();
    }
}

void LookupDialog::setupTables(const char* procedure)
{
    if (const TableDef* table = tableDef()) {
        m_table = setupReferenceTable(ClsObj, QString::fromLatin1(m_spec.name), procedure, *table, &m_tableRows);
        noteIfNotInstalled(*table);
    }
}

void LookupDialog::describeData(const TableDef& table)
{
    lblData->setText(ResourceStore::description(QString::fromLatin1(table.resource)));
}

void LookupDialog::noteIfNotInstalled(const TableDef& table)
{
    describeData(table);
    const QString type = QString::fromLatin1(table.resource);
    if (ResourceStore::recordCount(type) > 0) {
        if (m_noData)
            m_noData->hide();
        return;
    }
    const bool installable = !CsvImport::fields(type).isEmpty();
    if (!m_noData) {
        m_noData = named(new QLabel(this), "lblNoData");
        m_noData->setWordWrap(true);
        m_noData->setTextFormat(Qt::PlainText);
        m_noData->setAlignment(Qt::AlignCenter);
        m_noData->setStyleSheet(QStringLiteral("QLabel { background: #fff8dc; border: 1px solid #c8b560; padding: 8px; }"));
        m_noData->setGeometry(vsf->x() + 60, vsf->y() + 60, vsf->width() - 120, 90);
        m_installList = button(this, "cmdInstallList", "&Install a list...");
        m_installList->setGeometry(vsf->x() + vsf->width() / 2 - 80, vsf->y() + 160, 160, 30);
        connect(m_installList, &QPushButton::clicked, this, [this, &table] { installList(table); });
    }
    m_noData->setText(QStringLiteral("This list is not installed, so there is nothing to search yet.\n"
                                     "An administrator can install the official list from a CSV file%1.")
                          .arg(installable ? QStringLiteral(" with \"Install a list...\" below, or with the qelrefdesk-import tool")
                                           : QStringLiteral(" with the qelrefdesk-import tool")));
    m_noData->show();
    m_noData->raise();
    m_installList->setVisible(installable);
    m_installList->raise();
}

void LookupDialog::installList(const TableDef& table)
{
    frmInstallList w(QString::fromLatin1(table.resource), windowTitle(), this);
    if (w.exec() != QDialog::Accepted)
        return;
    // The table is loaded anew from the installed list, and the lists show its values.
    setupTables("LOADDATA");
    m_installList->hide();
    if (!m_lists.isEmpty())
        LoadCombo(0);
    resetGrid();
    MessageService::inform(this, QStringLiteral("%1 records installed.").arg(w.installedRecords()));
}

void LookupDialog::loadData(const QStringList& args)
{
    setupTables("LOADDATA");
    if (!m_lists.isEmpty())
        LoadCombo(0);
    resetGrid();
    loadSrNo();
    const bool anyGiven = std::any_of(args.begin(), args.end(), [](const QString& a) { return !a.isEmpty(); });
    cmdselect->setVisible(anyGiven && !m_spec.resultSlots.isEmpty());
    const bool anyValue = std::any_of(args.begin(), args.end(), [](const QString& a) { return !a.trimmed().isEmpty(); });
    if (!anyValue)
        return;
    for (int i = 0; i < args.size() && i < m_spec.preselect.size(); ++i)
        m_lists[m_spec.preselect[i]]->setEditText(args[i].trimmed());
    Command1_Click();
}

void LookupDialog::resetGrid()
{
    lblRows->clear();
    vsf->setRows(1);
    vsf->setCellFontBold(0, 0, 0, vsf->cols() - 1, true);
}

QString LookupDialog::listText(int k) const { return m_lists[k]->currentText(); }

Sql LookupDialog::listQuery(int k) const
{
    // The template is read once, left to right; what a list holds goes in as a value and is
    // never read again for placeholders.
    const ListSpec& l = m_spec.lists[k];
    const QString q = QString::fromUtf8(l.query);
    Sql sql;
    qsizetype from = 0;
    for (qsizetype i = 0; i + 1 < q.size(); ++i) {
        if (q[i] != u'%')
            continue;
        const QChar t = q[i + 1];
        const int list = t.digitValue() - 1;
        if (t != u'T' && t != u'F' && (list < 0 || list >= m_lists.size()))
            continue;
        sql.code(q.mid(from, i - from));
        if (t == u'T')
            sql.code(m_table);
        else if (t == u'F')
            sql.append(listFilter(k));
        else
            sql.value(l.trimArgs ? listText(list).trimmed() : listText(list));
        from = ++i + 1;
    }
    return sql.code(q.mid(from));
}

void LookupDialog::LoadCombo(int k)
{
    if (k < 0 || k >= m_lists.size())
        return;
    const ListSpec& l = m_spec.lists[k];
    QComboBox* c = m_lists[k];
    m_loadingList = true;
    c->clear();
    bool run = l.run == ListSpec::Always || !m_table.isEmpty();
    if (l.run == ListSpec::FilterNotEmpty)
        run = run && !listFilter(k).isEmpty();
    // List fills go on quietly when their query fails. A list filled while the grid fills (a
    // click meanwhile) has a recordset of its own, so that the grid's goes on.
    Recordset own;
    Recordset& rs = m_rs.isOpen() ? own : m_rs;
    if (run && rs.open(listQuery(k), ClsObj ? ClsObj->Db() : nullptr)) {
        QStringList items;
        items.reserve(rs.recordCount());
        const int f = rs.fieldIndex(QString::fromLatin1(l.field));
        for (; !rs.eof(); rs.moveNext())
            items << rs.value(f);
        c->addItems(items);
        rs.close();
    }
    c->setCurrentIndex(-1);
    c->setEditText(QString());
    m_loadingList = false;
    if (l.fillChains)
        LoadCombo(k + 1);
}

void LookupDialog::listClicked(int k)
{
    if (m_spec.lists[k].clickRefills)
        LoadCombo(k + 1);
}

Sql LookupDialog::listFilter(int upTo) const
{
    Sql filter;
    for (int k = 0; k < upTo && k < m_lists.size(); ++k) {
        const char* where = m_spec.lists[k].where;
        const QString v = listText(k).trimmed();
        if (!where || v.isEmpty())
            continue;
        filter.code(filter.isEmpty() ? QStringLiteral(" Where ") : QStringLiteral(" And ")).code(QString::fromUtf8(where)).value(v).code(QStringLiteral("'"));
    }
    return filter;
}

void LookupDialog::Command1_Click() { LOADGRID(); }

void LookupDialog::Command2_Click()
{
    if (!Combo4 || !Combo5 || !Text1)
        return;
    if (Combo4->currentIndex() < 0) {
        MessageService::inform(this, QStringLiteral("Select Search by Option."));
        Combo4->setFocus();
        Combo4->showPopup();
        return;
    }
    if (Combo5->currentIndex() < 0) {
        MessageService::inform(this, QStringLiteral("Select Criteria Option."));
        Combo5->setFocus();
        Combo5->showPopup();
        return;
    }
    if (Text1->text().trimmed().isEmpty()) {
        MessageService::inform(this, QStringLiteral("Enter Value to Search."));
        Text1->setFocus();
        return;
    }
    LOADGRID1();
}

void LookupDialog::LOADGRID()
{
    const Sql filter = listFilter(int(m_lists.size()));
    if (filter.isEmpty() && !MessageService::ask(this, QStringLiteral("Do you want to View all the Records?")))
        return;
    for (int k = 0; k < m_lists.size(); ++k)
        if (m_spec.lists[k].hides >= 0)
            vsf->setColHidden(m_spec.lists[k].hides, !listText(k).trimmed().isEmpty());
    fillGrid(Sql(QStringLiteral("Select * from ") + m_table) + filter, "LOADGRID", false, filter.isEmpty() ? m_tableRows : -1);
}

void LookupDialog::LOADGRID1()
{
    const int by = Combo4->currentIndex(), how = Combo5->currentIndex();
    if (by < 0 || by >= m_spec.searchBy.size() || how < 0)
        return;
    QString v = Text1->text();
    if (m_spec.trimSearchValue)
        v = v.trimmed();
    // Containing, Start with, Whole word Only.
    static const char* const around[][2] = {{"'%", "%'"}, {"'", "%'"}, {"'", "'"}};
    const auto& a = around[std::min(how, 2)];
    for (const ListSpec& l : m_spec.lists)
        if (l.hides >= 0)
            vsf->setColHidden(l.hides, false);
    fillGrid(Sql(QStringLiteral("Select * from ") + m_table + QStringLiteral(" Where ") + QString::fromUtf8(m_spec.searchBy[by].prefix))
                 .code(QString::fromLatin1(a[0]))
                 .like(v)
                 .code(QString::fromLatin1(a[1])),
             m_spec.advancedProcedure);
}

void LookupDialog::fillRow(Recordset& rs, int row)
{
    for (int c = 0; c < m_fieldIdx.size(); ++c)
        if (m_fieldIdx[c] >= 0)
            vsf->setTextMatrixUtf8(row, c + 1, rs.raw(m_fieldIdx[c]));
}

void LookupDialog::fillGrid(const Sql& sql, const char* procedure, bool append, int rows)
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
    // The grid is sized once for all records, and its view hears of the rows only when they are
    // in and sorted (nor of the old ones going).
    vsf->setRedraw(false);
    if (!append)
        vsf->setRows(1);
    vsf->setCellFontBold(0, 0, 0, vsf->cols() - 1, true);
    int i = append ? vsf->rows() - 1 : 0;
    prepareFill();
    if (canFill()) {
        Connection* db = ClsObj ? ClsObj->Db() : nullptr;
        const bool streamed = rows >= 0;
        if (!m_rs.open(sql, db, Recordset::Text, streamed ? Recordset::Streamed : Recordset::ClientSide))
            searchFailed(procedure, m_rs.lastError());
        m_fieldIdx.clear();
        for (const ColumnSpec& c : m_spec.columns) {
            int idx = -1;
            if (c.field && m_rs.isOpen() && (idx = m_rs.fieldIndex(QString::fromLatin1(c.field))) < 0)
                logFailure(procedure, m_rs.lastError());
            m_fieldIdx << idx;
        }
        if (const int count = streamed ? rows : m_rs.recordCount(); m_rs.isOpen() && count > 0)
            vsf->setRows(vsf->rows() + count);
        if (!append)
            vsf->gatherSortKeys(m_spec.sortKeys);
        pb->setValue(0);
        pb->setMaximum(std::max(1, vsf->rows() - 1));
        pb->show();
        vsf->hide();
        setStopCaption(true);
        pb->setValue(i);
        QElapsedTimer sinceYield;
        sinceYield.start();
        // The caption can only change while the window handles input.
        bool filling = isFilling();
        int gridRows = vsf->rows();
        while (filling && !m_rs.eof()) {
            ++i;
            if (i >= gridRows)
                vsf->setRows(gridRows = i + 1);
            fillRow(m_rs, i);
            // Letting the window handle input after every row would cost a repaint per row;
            // it is let in every few milliseconds instead (the clock read every 64 rows), which
            // keeps Stop and the rest responsive.
            if ((s_yieldMs == 0 || i % 64 == 0) && sinceYield.elapsed() >= s_yieldMs) {
                pb->setMaximum(std::max(1, gridRows - 1));
                pb->setValue(i);
                QApplication::processEvents();
                sinceYield.restart();
                filling = isFilling();
                gridRows = vsf->rows();
            }
            m_rs.moveNext();
        }
        if (m_rs.readFailed())
            searchFailed(procedure, m_rs.lastError());
        m_rs.close();
        if (vsf->rows() > i + 1)
            vsf->setRows(i + 1);
        setStopCaption(false);
        pb->hide();
        vsf->show();
    }
    afterFill();
    vsf->sortColumns(m_spec.sortKeys);
    loadSrNo();
    vsf->setRedraw(true);
    showRowCount();
    QApplication::restoreOverrideCursor();
}

void LookupDialog::searchFailed(const char* procedure, const DbError& e)
{
    // A search text with characters that the table's character set cannot hold matches no row:
    // the answer is an empty list, not an error.
    if (dberr::isUnrepresentable(e.number))
        return;
    logFailure(procedure, e);
    // A connection that could not be restored is said, besides being logged.
    if (dberr::isLost(e.number))
        MessageService::inform(this, e.description);
}

void LookupDialog::loadSrNo()
{
    vsf->gridModel()->numberRows(0);
    vsf->autoSizeColumns(0, vsf->cols() - 1);
}

void LookupDialog::cmdselect_Click()
{
    const int r = vsf->row();
    if (r < 1) {
        MessageService::inform(this, QStringLiteral("Please Select a Item."));
        return;
    }
    if (ClsObj)
        for (int s = 0; s < m_spec.resultSlots.size(); ++s)
            ClsObj->OutArr(short(s), vsf->textMatrix(r, m_spec.resultSlots[s]));
    accept();
}

void LookupDialog::cmdback_Click()
{
    if (cmdback->text() != QLatin1String(kBack)) {
        setStopCaption(false);   // the running fill sees this before its next row
        return;
    }
    closeByEscape();
}

void LookupDialog::closeByEscape() { reject(); }

void LookupDialog::keyPressEvent(QKeyEvent* e)
{
    // Enter presses the focused button (Go, Select, Back); elsewhere it moves on as Tab.
    if ((e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) && e->modifiers() == Qt::NoModifier) {
        if (auto* b = qobject_cast<QPushButton*>(focusWidget()))
            b->click();
        else
            focusNextChild();
        return;
    }
    QDialog::keyPressEvent(e);
}

void LookupDialog::done(int r)
{
    setStopCaption(false);   // a fill still running stops with the dialog
    QDialog::done(r);
}

void LookupDialog::autoComplete(QComboBox* c)
{
    const QString t = c->currentText();
    m_loadingList = true;
    c->setCurrentIndex(-1);
    m_loadingList = false;
    for (int i = 0; i < c->count(); ++i) {
        const QString item = c->itemText(i);
        if (item.toUpper().startsWith(t.toUpper())) {
            m_loadingList = !m_spec.completionRefills;
            c->setCurrentIndex(i);   // a change of selection: the list's click runs, where completion refills
            m_loadingList = false;
            QLineEdit* e = c->lineEdit();
            e->setCursorPosition(int(item.size()));
            e->cursorBackward(true, int(item.size() - t.size()));
            return;
        }
    }
    c->setEditText(t);
    c->lineEdit()->setCursorPosition(int(t.size()));
}

bool LookupDialog::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == Image1) {
        switch (event->type()) {
        case QEvent::MouseButtonPress:
            Image1->setFrameStyle(QFrame::Panel | QFrame::Raised);
            return true;
        case QEvent::MouseButtonRelease:
            Image1->setFrameStyle(QFrame::NoFrame);
            if (Image1->rect().contains(static_cast<QMouseEvent*>(event)->position().toPoint()))
                closeByEscape();
            return true;
        default:
            return false;
        }
    }
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            focusNextChild();   // Enter moves on as Tab would
            return true;
        }
    }
    if (event->type() == QEvent::KeyRelease) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        const bool letterOrDigit = (key >= Qt::Key_A && key <= Qt::Key_Z) || (key >= Qt::Key_0 && key <= Qt::Key_9);
        if (letterOrDigit)
            for (QComboBox* c : m_lists)
                if (watched == c)
                    autoComplete(c);
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace qel
