#pragma once
#include <QPointer>
#include <QStringList>
#include <QVector>
#include "db/recordset.h"
#include "lookups/lookupwindow.h"
#include "refdata/tables.h"

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;

namespace qel {

class FlexGrid;

// One cascading selection list of a lookup dialog.
struct ListSpec {
    enum Run { TableOpen, Always, FilterNotEmpty };

    const char* combo;     // control name, "Combo1"
    const char* label;     // its caption's control name, "Label2"
    const char* caption;   // "City"
    const char* field;     // the field its query returns, "City"
    // The fill's statement: %T the table name, %1..%4 the texts of lists 1..4 (as values),
    // %F the filter built from the lists above this one.
    const char* query;
    Run run = TableOpen;   // when the query runs
    bool trimArgs = false; // list texts go into the query trimmed
    const char* column = nullptr;   // the column the list narrows the search by: "City" (none: not searched)
    int hides = -1;        // grid column hidden while the list holds a value
    bool fillChains = true;   // filling this list fills the next one
    bool clickRefills = true; // a click in this list refills the next one
};

// The State and City lists that narrow each other, with their texts trimmed into the queries
// (the bank BSR and TIN facilitation centre dialogs).
inline ListSpec trimmedStateList()
{
    return {.combo = "Combo1", .label = "Label2", .caption = "State", .field = "StateN",
            .query = "Select distinct StateN from %T Order by StateN", .trimArgs = true, .column = "StateN", .hides = 1};
}
inline ListSpec trimmedCityList()
{
    return {.combo = "Combo2", .label = "Label3", .caption = "City", .field = "City",
            .query = "Select distinct City from %T Where StateN='%1' order by City", .trimArgs = true, .column = "City", .hides = 2};
}

struct ColumnSpec {
    const char* header;
    const char* field;     // the field written into the column (nullptr: a hook fills it)
    int widthTwips;
    Qt::Alignment align;
};

struct SearchItem {
    const char* caption;   // "Bank Name"
    const char* prefix;    // "Bank like "
};

// Everything a lookup dialog is, apart from its hooks.
struct LookupSpec {
    const char* name;          // "frmmicr": the window's name, and the module in the log
    const char* title;         // Label1
    const TableDef* table;     // the reference table (nullptr: the dialog sets up its own)
    QVector<ListSpec> lists;
    QVector<ColumnSpec> columns;   // grid columns 1.. (column 0 is "Sr. No.")
    QVector<SearchItem> searchBy;  // the "Search by" items; empty: no advanced search
    QVector<int> codeColumns;      // the code the dialog exists for (several columns make one code)
    QVector<int> sortKeys;         // primary key first; empty: rows stay in query order
    QVector<int> resultSlots;      // slot i <- this column of the current row; empty: no Select
    QVector<int> preselect;        // LoadData argument i goes into this list
    bool setupInInitData = false;  // browse-only dialogs set up their table in InitData
    bool trimSearchValue = true;
    const char* searchCombo = "Combo4";
    const char* criteriaCombo = "Combo5";
    const char* command1 = "&Go";
    const char* command2 = "G&o";
    const char* advancedProcedure = "LOADGRID1";   // the advanced search's name in the log
    bool completionRefills = true;     // an item chosen by auto-completion refills the lists below, as a click does
};

// The common pattern of the lookup dialogs: cascading lists, an advanced search, a grid filled
// from a query with a progress bar and a Stop button, and Select handing the current row to
// the host through OutArr.
class LookupDialog : public LookupWindow {
    Q_OBJECT
public:
    explicit LookupDialog(const LookupSpec& spec, QWidget* parent = nullptr);
    ~LookupDialog() override;

    void InitData(Session* session) override;
    using LookupWindow::LoadData;

    // Operations by their names in the log and the layout.
    void LoadCombo(int list);   // LoadCombo1 is LoadCombo(0)
    virtual void Command1_Click();
    virtual void Command2_Click();
    void LOADGRID();
    void LOADGRID1();
    void LoadSrNo() { loadSrNo(); }
    void cmdselect_Click();
    void cmdback_Click();

    QString tableName() const { return m_table; }
    // Fills the grid with every row of the table (a search without conditions, without asking).
    void fillAll() { fillGrid(Sql(QStringLiteral("Select * from ") + m_table), "LOADGRID", false, m_tableRows); }
    const LookupSpec& spec() const { return m_spec; }
    bool isFilling() const;


protected:
    // The host dialogs' LoadData: set up, fill the lists, preselect and search.
    void loadData(const QStringList& args);

    // Hooks.
    virtual void setupTables(const char* procedure);
    virtual const TableDef* tableDef() const { return m_spec.table; }   // the table set up by default
    virtual void fillRow(Recordset& rs, int row);   // writes columns 1.. of one grid row
    virtual bool canFill() const { return !m_table.isEmpty(); }   // whether a fill runs its query
    virtual void prepareFill() {}                   // before a fill reads its rows
    virtual void afterFill() {}                     // after the rows are in, before sorting
    virtual void loadSrNo();

    // Runs a fill: "&Stop" while it reads, rows sized once, stopped by Back, then sorted and numbered.
    // A fill of the whole table (rows: the table's row count) streams its rows from the server
    // instead of receiving the whole result first, so that they are held once, in the grid.
    void fillGrid(const Sql& sql, const char* procedure, bool append = false, int rows = -1);
    // The fill's phases: the query opened and the grid sized for its rows; the rows read until
    // the end or Stop (the last grid row written).
    void openRows(const Sql& sql, const char* procedure, bool append, int rows);
    int readRows(int lastRow);
    // " Where a='x' And b='y'" from the lists [0, upTo) that hold a value.
    Sql listFilter(int upTo) const;
    // A list's fill statement: its query with the table, the filter and the lists' texts in place.
    Sql listQuery(int list) const;
    QString listText(int list) const;
    void resetGrid();
    // "66,382 rows" beside the grid, after each search.
    void showRowCount();
    void setStopCaption(bool stop);
    void logFailure(const char* procedure, const DbError& e) const;
    // Logs a failed search, and tells the user of it when it has a cause they can act on (a lost
    // connection, a search text the database cannot compare).
    void searchFailed(const char* procedure, const DbError& e);
    void closeByEscape();
    // Says where a table's data comes from, and says so in the dialog when its data set ships
    // empty and has not been installed.
    void noteIfNotInstalled(const TableDef& table);
    void describeData(const TableDef& table);
    // Lets the user install the official list of a data set that ships empty.
    void installList(const TableDef& table);

    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* e) override;
    void done(int r) override;

    const LookupSpec& m_spec;
    QString m_table;
    int m_tableRows = -1;   // as the set-up found them
    Recordset m_rs;
    QVector<int> m_fieldIdx;

    QLabel* Label1;
    QVector<QLabel*> m_listLabels;
    QVector<QComboBox*> m_lists;
    QPushButton* Command1;
    QGroupBox* Frame1 = nullptr;
    QComboBox* Combo4 = nullptr;   // "Search by"
    QComboBox* Combo5 = nullptr;   // "Criteria"
    QLineEdit* Text1 = nullptr;
    QLabel* Label6 = nullptr;
    QPushButton* Command2 = nullptr;
    FlexGrid* vsf;
    QProgressBar* pb;
    QPushButton* cmdselect;
    QPushButton* cmdback;
    QLabel* Image1;
    QLabel* lblRows;
    QLabel* lblData;
    QLabel* m_noData = nullptr;
    QPushButton* m_installList = nullptr;

private:
    void buildHeader();
    void buildLists();
    void buildAdvancedSearch();
    void buildGrid();
    void buildFooter();
    void autoComplete(QComboBox* combo);
    static constexpr const char* kStopCaption = "&Stop";
    static constexpr const char* kBackCaption = "&Back";
    void listClicked(int list);
    bool m_loadingList = false;
};

} // namespace qel
