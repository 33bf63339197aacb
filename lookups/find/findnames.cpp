// The Find window's names: the index built from the tables, its answers and their cards, and the
// browse of a bank by state and district.
#include "core/msgservice.h"
#include "db/recordset.h"
#include "lookups/find/finder.h"
#include "lookups/find/nameindex.h"
#include "refdata/resourcestore.h"
#include <QMap>
#include <QLocale>

namespace qel {

namespace {
constexpr int kNamesShown = 50;
constexpr int kBranchesListed = 5000;
constexpr qint64 kRecheckMs = 10000;

// The index of the last tables it was built from, shared by every Find window of the process.
struct IndexCache {
    QString signature;
    std::unique_ptr<NameIndex> index;
    int builds = 0;
};
IndexCache& cache()
{
    static IndexCache c;
    return c;
}

QString key(const QString& name, const QString& state) { return name.simplified().toLower() + u'|' + state.simplified().toLower(); }
bool allCapitals(const QString& s) { return s == s.toUpper(); }

// A place named by several tables: its spelling (mixed case where any table has it), state,
// codes and size.
struct Place {
    QString name, state;
    QStringList codes;
    int size = 0;
    void see(const QString& n, const QString& s, int count)
    {
        if (name.isEmpty() || (allCapitals(name) && !allCapitals(n)))
            name = n.simplified();
        if (state.isEmpty() || (allCapitals(state) && !allCapitals(s)))
            state = s.simplified();
        size += count;
    }
};

// Gathers the names of the tables into an index.
class IndexBuilder {
public:
    explicit IndexBuilder(Connection* db) : m_db(db) {}
    bool readBranches(const QString& table);
    bool readTowns(const QString& table);
    bool readPostOffices(const QString& table);
    bool readCountries(const QString& table);
    std::unique_ptr<NameIndex> finish();

private:
    bool forEach(const QString& sql, const std::function<void(Recordset&)>& row)
    {
        Recordset rs;
        if (!rs.open(Sql(sql), m_db, Recordset::Text, Recordset::Streamed))
            return false;
        for (; !rs.eof(); rs.moveNext())
            row(rs);
        return !rs.readFailed();
    }
    Connection* m_db;
    std::unique_ptr<NameIndex> m_index = std::make_unique<NameIndex>();
    // Ordered, so that the index (and the order of equally good answers) is the same every time.
    QMap<QString, int> m_banks;
    QMap<QString, Place> m_towns, m_districts;
};

bool IndexBuilder::readBranches(const QString& t)
{
    return forEach(QStringLiteral("Select BankNm, BankBr, Centre, District, StateN, IFSCCode from ") + t + QStringLiteral(" Where BankNm <> ''"),
                   [this](Recordset& rs) {
                       const QString bank = rs.value(0), branch = rs.value(1), centre = rs.value(2), district = rs.value(3),
                                     state = rs.value(4);
                       m_index->add(NameIndex::Branch, branch, bank + QStringLiteral(", ") + centre + QStringLiteral(", ") + state,
                                    rs.value(5), 0, NameIndex::initials(bank).join(u' ') + u' ' + district);
                       ++m_banks[bank];
                       m_towns[key(centre, state)].see(centre, state, 1);
                       m_districts[key(district, state)].see(district, state, 1);
                   });
}

bool IndexBuilder::readTowns(const QString& t)
{
    return forEach(QStringLiteral("Select City, StateN, STDCode from ") + t, [this](Recordset& rs) {
        Place& p = m_towns[key(rs.value(0), rs.value(1))];
        p.see(rs.value(0), rs.value(1), 10);   // a town with its own exchange is no hamlet
        p.codes << u'0' + rs.value(2);
    });
}

bool IndexBuilder::readPostOffices(const QString& t)
{
    return forEach(QStringLiteral("Select Area, City, StateN, PinCode from ") + t, [this](Recordset& rs) {
        m_index->add(NameIndex::PostOffice, rs.value(0), rs.value(1) + QStringLiteral(", ") + rs.value(2), rs.value(3));
        m_districts[key(rs.value(1), rs.value(2))].see(rs.value(1), rs.value(2), 0);
    });
}

bool IndexBuilder::readCountries(const QString& t)
{
    return forEach(QStringLiteral("Select Country, ISDCode from ") + t + QStringLiteral(" Where City = '(country code)'"),
                   [this](Recordset& rs) { m_index->add(NameIndex::Country, rs.value(0), QString(), u'+' + rs.value(1), 1); });
}

std::unique_ptr<NameIndex> IndexBuilder::finish()
{
    const QLocale english(QLocale::English);
    for (auto it = m_banks.cbegin(); it != m_banks.cend(); ++it)
        m_index->add(NameIndex::Bank, it.key(), QStringLiteral("%1 branches").arg(english.toString(it.value())), QString(), it.value(),
                     NameIndex::initials(it.key()).join(u' '));
    for (const Place& p : std::as_const(m_towns))
        if (!p.name.isEmpty())
            m_index->add(NameIndex::Town, p.name, p.state, p.codes.join(QStringLiteral(", ")), p.size);
    for (const Place& p : std::as_const(m_districts))
        if (!p.name.isEmpty())
            m_index->add(NameIndex::District, p.name, p.state, QString(), p.size);
    m_index->finish();
    return std::move(m_index);
}

const char* kindName(NameIndex::Kind k)
{
    static const char* const names[] = {"Bank", "Town", "District", "ISD", "PIN", "IFSC"};
    return names[k];
}
} // namespace

int Finder::indexBuilds() { return cache().builds; }

void Finder::forgetIndex()
{
    cache().index.reset();
    cache().signature.clear();
}

const NameIndex* Finder::nameIndex()
{
    IndexCache& c = cache();
    // The tables are checked (and reloaded where their data changed) once in a while, not at
    // every key.
    if (c.index && c.signature == m_signature && m_checked.isValid() && m_checked.elapsed() < kRecheckMs)
        return c.index.get();
    m_checked.start();
    const TableDef* sources[] = {&Tables::IFSC, &Tables::STD, &Tables::PIN, &Tables::ISD};
    m_signature = QString::number(quintptr(m_session ? m_session->Db() : nullptr));
    QStringList tables;
    for (const TableDef* def : sources) {
        tables << table(*def, true);
        if (tables.last().isEmpty())
            return nullptr;
        m_signature += u'|' + tables.last() + u':' + QString::number(rows(*def)) + u':'
                       + ResourceStore::description(QLatin1String(def->resource));
    }
    if (c.index && c.signature == m_signature)
        return c.index.get();
    const BusyNotice notice(m_session, nullptr, QStringLiteral("Preparing the search by name: the names of the branches, towns, post offices and "
                                                    "countries are gathered once for this data."));
    IndexBuilder b(m_session->Db());
    if (!b.readBranches(tables[0]) || !b.readTowns(tables[1]) || !b.readPostOffices(tables[2]) || !b.readCountries(tables[3]))
        return nullptr;
    c.index = b.finish();
    c.signature = m_signature;
    ++c.builds;
    return c.index.get();
}

QVector<FindAnswer> Finder::names(const QString& text)
{
    const NameIndex* index = nameIndex();
    if (!index)
        return {};
    QVector<FindAnswer> out;
    for (const NameIndex::Hit& h : index->find(text, kNamesShown)) {
        const NameIndex::Entry e = index->entry(h.entry);
        FindAnswer a;
        a.kind = QString::fromLatin1(kindName(e.kind));
        a.name = e.name;
        a.where = e.where;
        a.code = e.code;
        a.cardComplete = false;
        if (e.kind == NameIndex::Bank) {
            a.next = FindAnswer::States;
            a.path = QStringList{e.name};
        }
        out.append(a);
    }
    return out;
}

void Finder::completeCard(FindAnswer& a)
{
    if (a.cardComplete)
        return;
    a.cardComplete = true;
    if (a.kind == u"IFSC" || a.kind == u"PIN" || a.kind == u"ISD") {
        // Read as a code of its kind is (not every reading of its digits): the answer of that
        // code that has this name.
        const Codes::Reading r = a.kind == u"IFSC" ? Codes::Reading{Codes::Kind::Ifsc, a.code}
                                 : a.kind == u"PIN" ? Codes::Reading{Codes::Kind::Pin, a.code}
                                                    : Codes::Reading{Codes::Kind::Isd, a.code.mid(1)};   // "+44"
        for (const FindAnswer& byCode : codeAnswers(r))
            if (byCode.kind == a.kind && byCode.name == a.name) {
                a.card = byCode.card;
                return;
            }
    } else if (a.kind == u"Bank") {
        a.card = {{QStringLiteral("Bank"), a.name}, {QStringLiteral("Branches"), a.where}};
    } else if (a.kind == u"Town") {
        a.card = {{QStringLiteral("Town"), a.name}, {QStringLiteral("State"), a.where}, {QStringLiteral("STD code"), a.code}};
    } else {
        a.card = {{a.kind, a.name}, {QStringLiteral("State"), a.where}};
    }
}

QVector<FindAnswer> Finder::browse(const FindAnswer& from)
{
    if (from.next == FindAnswer::PinBranches) {
        // Written either way in the addresses: "560001" or "560 001".
        const QString pin = from.path.value(0);
        return branches(Sql(QStringLiteral("(BankAdd like '%")).like(pin) + Sql(QStringLiteral("%' Or BankAdd like '%"))
                            .like(pin.left(3) + u' ' + pin.mid(3)) + Sql(QStringLiteral("%')")),
                        kBranchesListed);
    }
    if (from.next == FindAnswer::MicrBranches)
        return branches(Sql::equals(QStringLiteral("BankNm"), from.path.value(0)) + Sql(QStringLiteral(" And "))
                            + Sql::equals(QStringLiteral("BankBr"), from.path.value(1)),
                        kBranchesListed);
    if (from.next == FindAnswer::Branches)
        return branches(Sql::equals(QStringLiteral("BankNm"), from.path.value(0)) + Sql(QStringLiteral(" And "))
                            + Sql::equals(QStringLiteral("StateN"), from.path.value(1)) + Sql(QStringLiteral(" And "))
                            + Sql::equals(QStringLiteral("District"), from.path.value(2)),
                        kBranchesListed);
    const bool states = from.next == FindAnswer::States;
    const QString column = states ? QStringLiteral("StateN") : QStringLiteral("District");
    Sql sql(QStringLiteral("Select ") + column + QStringLiteral(", count(*) from ") + table(Tables::IFSC) + QStringLiteral(" Where "));
    sql += Sql::equals(QStringLiteral("BankNm"), from.path.value(0));
    if (!states)
        sql += Sql(QStringLiteral(" And ")) + Sql::equals(QStringLiteral("StateN"), from.path.value(1));
    QVector<FindAnswer> out;
    Recordset rs;
    if (table(Tables::IFSC).isEmpty() || !open(rs, sql + Sql(QStringLiteral(" Group by ") + column + QStringLiteral(" Order by ") + column)))
        return out;
    const QLocale english(QLocale::English);
    for (; !rs.eof(); rs.moveNext()) {
        FindAnswer a;
        a.kind = states ? QStringLiteral("State") : QStringLiteral("District");
        a.name = rs.value(0).isEmpty() ? QStringLiteral("(not given)") : rs.value(0);
        a.where = QStringLiteral("%1 branches of %2").arg(english.toString(rs.value(1).toInt()), from.path.value(0));
        a.next = states ? FindAnswer::Districts : FindAnswer::Branches;
        a.path = from.path.mid(0, states ? 1 : 2) << rs.value(0);
        a.card = {{a.kind, a.name}, {QStringLiteral("Branches"), a.where}};
        out.append(a);
    }
    return out;
}

} // namespace qel
