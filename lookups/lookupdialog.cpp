#include "lookups/lookupdialog.h"
#include "core/desktop.h"
#include "core/session.h"
#include "core/errlog.h"
#include "core/msgservice.h"
#include "core/named.h"
#include "core/scaling.h"
#include "db/connection.h"
#include "lookups/grid/flexgrid.h"
#include "refdata/resourcestore.h"
#include "refdata/tablesetup.h"

#include <algorithm>
#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>

namespace qel {

LookupDialog::~LookupDialog()
{
    // Hiding a dialog moves the focus out of its lists, which may select an item; nothing of
    // this dialog may answer that any more.
    for (QComboBox* c : m_lists)
        disconnect(c, nullptr, this, nullptr);
}

bool LookupDialog::isFilling() const { return cmdback->text() == QLatin1String(kStopCaption); }

void LookupDialog::setStopCaption(bool stop) { cmdback->setText(QString::fromLatin1(stop ? kStopCaption : kBackCaption)); }

void LookupDialog::logFailure(const char* procedure, const DbError& e) const
{
    ErrHandler(ClsObj, QString::fromLatin1(m_spec.name), procedure).fail(e);
}

void LookupDialog::InitData(Session* session)
{
    ClsObj = session;
    vsf->setSession(session);
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
        // An entry in parentheses, such as "(state not known)", is a note, not a name: it goes last.
        std::stable_partition(items.begin(), items.end(), [](const QString& s) { return !s.startsWith(u'('); });
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
        const char* column = m_spec.lists[k].column;
        const QString v = listText(k).trimmed();
        if (!column || v.isEmpty())
            continue;
        filter.code(filter.isEmpty() ? QStringLiteral(" Where ") : QStringLiteral(" And ")).append(Sql::equals(QString::fromLatin1(column), v));
    }
    return filter;
}

void LookupDialog::Command1_Click() { LOADGRID(); }

void LookupDialog::Command2_Click()
{
    if (!Combo4 || !Combo5 || !Text1)
        return;
    if (Combo4->currentIndex() < 0) {
        MessageService::inform(ClsObj, this, QStringLiteral("Select Search by Option."));
        Combo4->setFocus();
        Combo4->showPopup();
        return;
    }
    if (Combo5->currentIndex() < 0) {
        MessageService::inform(ClsObj, this, QStringLiteral("Select Criteria Option."));
        Combo5->setFocus();
        Combo5->showPopup();
        return;
    }
    if (Text1->text().trimmed().isEmpty()) {
        MessageService::inform(ClsObj, this, QStringLiteral("Enter Value to Search."));
        Text1->setFocus();
        return;
    }
    LOADGRID1();
}

void LookupDialog::LOADGRID()
{
    const Sql filter = listFilter(int(m_lists.size()));
    if (filter.isEmpty() && !MessageService::ask(ClsObj, this, QStringLiteral("Do you want to View all the Records?")))
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
    const int* field = m_fieldIdx.constData();
    const int n = int(m_fieldIdx.size());
    if (const char* const* values = rs.rowValues()) {   // the driver's bytes as they are
        const unsigned long* lengths = rs.rowLengths();
        for (int c = 0; c < n; ++c)
            if (const int f = field[c]; f >= 0)
                vsf->setTextMatrixUtf8(row, c + 1, QByteArrayView(values[f], values[f] ? qsizetype(lengths[f]) : 0));
        return;
    }
    for (int c = 0; c < n; ++c)
        if (field[c] >= 0)
            vsf->setTextMatrixUtf8(row, c + 1, rs.raw(field[c]));
}

void LookupDialog::fillGrid(const Sql& sql, const char* procedure, bool append, int rows)
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
    // The grid is sized once for all records, and its view hears of the rows only when they are
    // in and sorted (nor of the old ones going).
    vsf->setRedraw(false);
    if (!append) {
        vsf->setRows(1);
        vsf->clearHeaderSort();
    }
    vsf->setCellFontBold(0, 0, 0, vsf->cols() - 1, true);
    int i = append ? vsf->rows() - 1 : 0;
    prepareFill();
    if (canFill()) {
        openRows(sql, procedure, append, rows);
        pb->setValue(i);
        i = readRows(i);
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

void LookupDialog::openRows(const Sql& sql, const char* procedure, bool append, int rows)
{
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
}

int LookupDialog::readRows(int i)
{
    QElapsedTimer sinceYield;
    sinceYield.start();
    const int yieldMs = desktopOf(ClsObj).yieldIntervalMs();
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
        if ((yieldMs == 0 || i % 64 == 0) && sinceYield.elapsed() >= yieldMs) {
            pb->setMaximum(std::max(1, gridRows - 1));
            pb->setValue(i);
            QApplication::processEvents();
            sinceYield.restart();
            filling = isFilling();
            gridRows = vsf->rows();
        }
        m_rs.moveNext();
    }
    return i;
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
        MessageService::inform(ClsObj, this, e.description);
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
        MessageService::inform(ClsObj, this, QStringLiteral("Please Select a Item."));
        return;
    }
    if (ClsObj)
        for (int s = 0; s < m_spec.resultSlots.size(); ++s)
            ClsObj->OutArr(short(s), vsf->textMatrix(r, m_spec.resultSlots[s]));
    accept();
}

void LookupDialog::cmdback_Click()
{
    if (cmdback->text() != QLatin1String(kBackCaption)) {
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
        if (!pressFocusedButton())
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
