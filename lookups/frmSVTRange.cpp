// Service-tax jurisdiction of a place: each location row completed with its range, division and
// commissionerate offices from three further tables.
#include "core/session.h"
#include "lookups/dialogs.h"
#include "lookups/grid/flexgrid.h"
#include "lookups/lookupdialog.h"
#include "refdata/tablesetup.h"
#include <QHash>

namespace qel {
namespace {
const LookupSpec kSpec{
    .name = "frmSVTRange",
    .title = "Range Details Search",
    .table = nullptr,   // four tables
    .lists = {
        {.combo = "Combo1", .label = "Label2", .caption = "State", .field = "StateN",
         .query = "Select distinct StateN from %T Order by StateN", .column = "StateN", .hides = 1},
        {.combo = "Combo2", .label = "Label3", .caption = "City", .field = "City",
         .query = "Select distinct City from %T Where StateN='%1' order by City",
         .run = ListSpec::Always, .column = "City", .hides = 2},
        {.combo = "Combo3", .label = "Label4", .caption = "Area", .field = "area",
         .query = "Select distinct area from %T Where StateN='%1' and City='%2' Order by Area",
         .run = ListSpec::Always, .column = "Area", .hides = 3},
    },
    .columns = {
        {"State", "StateN", 960, Qt::AlignLeft},
        {"City", "City", 960, Qt::AlignLeft},
        {"Area", "Area", 960, Qt::AlignLeft},
        {"Locality", "Locality", 960, Qt::AlignLeft},
        {"Commissionrate Code", nullptr, 1140, Qt::AlignHCenter},
        {"Division Code", nullptr, 1140, Qt::AlignHCenter},
        {"Range Code", nullptr, 1140, Qt::AlignHCenter},
        {"Range", nullptr, 1140, Qt::AlignLeft},
        {"Division", nullptr, 1140, Qt::AlignLeft},
        {"Commissionarate", nullptr, 1140, Qt::AlignLeft},
    },
    .searchBy = {{"State", "StateN like "}, {"City", "City like "}, {"Area", "Area like "}, {"Locality", "Locality like "},
                 {"Pin Code", "Pincode like "}, {"Range Code", "RngCode like "}},
    .codeColumns = {5, 6, 7},
    .sortKeys = {1, 2, 3, 5},
    .resultSlots = {5, 6, 7, 10},
    .preselect = {0, 1, 2},
    .advancedProcedure = "LOADGRID",
    .completionRefills = false,
};

// The office tables, by index: 1 ranges, 2 commissionerates, 3 divisions; and their key columns.
const char* const kOfficeKey[4] = {nullptr, "RngCode", "ComCode", "DivCode"};

// Codes compare as the server compares them: without regard to case or trailing spaces. The key
// is built in the caller's buffer, which a fill reuses for every lookup.
const QByteArray& codeKey(QByteArrayView code, QByteArray& buffer)
{
    qsizetype e = code.size();
    while (e > 0 && code[e - 1] == ' ')
        --e;
    buffer.resize(e);
    for (qsizetype i = 0; i < e; ++i) {
        const char c = code[i];
        buffer[i] = c >= 'a' && c <= 'z' ? char(c - 32) : c;
    }
    return buffer;
}

// A code of digits alone (the usual case) as a number that keeps its length, so that "07" and "7"
// stay apart: a lookup by it hashes one integer instead of building a key. 0 for any other code.
quint64 numericKey(QByteArrayView code)
{
    qsizetype e = code.size();
    while (e > 0 && code[e - 1] == ' ')
        --e;
    if (e == 0 || e > 15)
        return 0;
    quint64 v = 0;
    for (qsizetype i = 0; i < e; ++i) {
        if (code[i] < '0' || code[i] > '9')
            return 0;
        v = v * 10 + quint64(code[i] - '0');
    }
    return (quint64(e) << 56) | v;
}

// Office numbers by numericKey: open addressing in one array (key 0 marks a free slot), about
// twice the slots of its entries, so that a lookup per row is a multiply and a probe or two.
// Codes of one length that lie close together (range codes 700101, 700102 ...) are then put in
// a plain array by their value, small enough to stay in the cache while a fill runs.
class NumberIndex {
public:
    void clear()
    {
        m_slots.clear();
        m_used = 0;
        m_dense.clear();
    }
    void compact()
    {
        quint64 low = ~quint64(0), high = 0;
        for (const Slot& s : m_slots)
            if (s.key != 0) {
                low = std::min(low, s.key);
                high = std::max(high, s.key);
            }
        m_dense.clear();
        if (m_used == 0 || (low >> 56) != (high >> 56) || high - low >= 4 * m_used + 64)
            return;   // lengths differ, or the codes lie too far apart
        m_low = low;
        m_dense.assign(size_t(high - low + 1), -1);
        for (const Slot& s : m_slots)
            if (s.key != 0)
                m_dense[size_t(s.key - low)] = s.id;
    }
    void insert(quint64 key, int id)
    {
        if (2 * (m_used + 1) > m_slots.size())
            grow();
        Slot& s = m_slots[probe(key)];
        if (s.key == 0) {
            s = {key, id};
            ++m_used;
        }
    }
    int find(quint64 key) const
    {
        if (!m_dense.empty())
            return key >= m_low && key - m_low < m_dense.size() ? m_dense[size_t(key - m_low)] : -1;
        if (m_slots.empty())
            return -1;
        const Slot& s = m_slots[probe(key)];
        return s.key == key ? s.id : -1;
    }

private:
    struct Slot {
        quint64 key = 0;
        int id = -1;
    };
    size_t probe(quint64 key) const
    {
        const size_t mask = m_slots.size() - 1;
        size_t i = size_t((key * 0x9e3779b97f4a7c15ull) >> 32) & mask;
        while (m_slots[i].key != 0 && m_slots[i].key != key)
            i = (i + 1) & mask;
        return i;
    }
    void grow()
    {
        std::vector<Slot> old(std::max<size_t>(64, 2 * m_slots.size()));
        old.swap(m_slots);
        m_used = 0;
        for (const Slot& s : old)
            if (s.key != 0)
                insert(s.key, s.id);
    }
    std::vector<Slot> m_slots;
    size_t m_used = 0;
    std::vector<int> m_dense;   // by key - m_low, when compact
    quint64 m_low = 0;
};

QByteArrayView trimmed(QByteArrayView v)
{
    while (!v.isEmpty() && v.front() == ' ')
        v = v.sliced(1);
    while (!v.isEmpty() && v.back() == ' ')
        v.chop(1);
    return v;
}

class frmSVTRange : public LookupDialog {
    Q_OBJECT
public:
    frmSVTRange() : LookupDialog(kSpec) {}
    using LookupWindow::LoadData;
    void LoadData(const QString& State, const QString& City, const QString& Area) override { loadData({State, City, Area}); }

protected:
    void setupTables(const char* procedure) override
    {
        for (int i = 0; i < 4; ++i)
            m_tables[i] = setupReferenceTable(ClsObj, QString::fromLatin1(kSpec.name), procedure, Tables::Range[i], i == 0 ? &m_tableRows : nullptr);
        m_table = m_tables[0];
        noteIfNotInstalled(Tables::Range[0]);
    }

    bool canFill() const override
    {
        return std::none_of(std::begin(m_tables), std::end(m_tables), [](const QString& t) { return t.isEmpty(); });
    }

    // Keeps column 0 and the first two visible data columns in view; reads each office table
    // once, rather than querying it for every location row.
    void prepareFill() override
    {
        int hidden = 0;
        for (int c = 1; c <= 3; ++c)
            hidden += vsf->colHidden(c) ? 1 : 0;
        vsf->setFrozenCols(1 + 2 + hidden);
        for (int t = 0; t < 4; ++t) {
            m_offices[t].clear();
            m_byCode[t].clear();
            m_byNumber[t].clear();
        }
        m_rngField = -2;
        if (!canFill())
            return;
        for (int t = 1; t <= 3; ++t) {
            Recordset rs;
            if (!rs.open(QStringLiteral("Select * from ") + m_tables[t], ClsObj ? ClsObj->Db() : nullptr)) {
                logFailure("LOADGRID", rs.lastError());
                continue;
            }
            const int key = rs.fieldIndex(QString::fromLatin1(kOfficeKey[t])), nm = rs.fieldIndex(QStringLiteral("Nm")),
                      addr = rs.fieldIndex(QStringLiteral("Address"));
            // Each office gets a number; the first record of a code counts, as a query would return it.
            for (; !rs.eof(); rs.moveNext()) {
                const QByteArray k = codeKey(rs.raw(key), m_key);
                if (m_byCode[t].contains(k))
                    continue;
                const int id = int(m_offices[t].size());
                m_offices[t].push_back({rs.raw(nm).toByteArray() + ", " + rs.raw(addr).toByteArray(), 0});
                m_byCode[t].insert(k, id);
                if (const quint64 n = numericKey(rs.raw(key)))
                    m_byNumber[t].insert(n, id);
            }
            m_byNumber[t].compact();
        }
    }

    void fillRow(Recordset& rs, int row) override
    {
        LookupDialog::fillRow(rs, row);
        if (m_rngField == -2)
            m_rngField = rs.fieldIndex(QStringLiteral("RngCode"));
        // The code's characters 1-2, 3-4 and its last two (the codes are ASCII digits).
        const QByteArrayView r = rs.raw(m_rngField);
        const QByteArrayView com = trimmed(r.first(std::min<qsizetype>(2, r.size())));
        const QByteArrayView div = trimmed(r.size() > 2 ? r.sliced(2, std::min<qsizetype>(2, r.size() - 2)) : QByteArrayView());
        const QByteArrayView rng = trimmed(r.last(std::min<qsizetype>(2, r.size())));
        vsf->setTextMatrixUtf8(row, 5, com);
        vsf->setTextMatrixUtf8(row, 6, div);
        vsf->setTextMatrixUtf8(row, 7, rng);
        // An office's text is stored in the grid once; its other rows share that cell's text.
        const auto office = [&](int col, int table, QByteArrayView code) {
            const int id = officeOf(table, code);
            if (id < 0)
                return;
            Office& o = m_offices[table][size_t(id)];
            if (o.row > 0) {
                vsf->setTextMatrixLike(row, col, o.row, col);
            } else {
                vsf->setTextMatrixUtf8(row, col, o.text);
                o.row = row;
            }
        };
        if (!rng.isEmpty())
            office(8, 1, r);
        if (!div.isEmpty())
            office(9, 3, r.first(std::min<qsizetype>(4, r.size())));
        if (!com.isEmpty())
            office(10, 2, com);
    }

private:
    // The number of the office of a code in a table, or -1: by the code's digits where it has
    // only digits, else by its text.
    int officeOf(int table, QByteArrayView code)
    {
        if (const quint64 n = numericKey(code))
            if (const int id = m_byNumber[table].find(n); id >= 0)
                return id;
        const auto it = m_byCode[table].constFind(codeKey(code, m_key));
        return it == m_byCode[table].constEnd() ? -1 : *it;
    }

    QString m_tables[4];
    struct Office {
        QByteArray text;   // "name, address", UTF-8
        int row;           // the grid row that first received it in this fill, 0 before
    };
    std::vector<Office> m_offices[4];             // by number
    QHash<QByteArray, int> m_byCode[4];           // code -> number
    NumberIndex m_byNumber[4];                    // numericKey -> number
    int m_rngField = -2;                          // not looked up yet
    QByteArray m_key;
};

} // namespace

std::unique_ptr<LookupWindow> make_frmSVTRange() { return std::make_unique<frmSVTRange>(); }
} // namespace qel

#include "frmSVTRange.moc"
