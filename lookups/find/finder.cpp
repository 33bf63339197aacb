#include "lookups/find/finder.h"
#include "db/recordset.h"
#include "lookups/find/nameindex.h"
#include "refdata/resourcestore.h"
#include "refdata/tablesetup.h"
#include <QLocale>

namespace qel {

namespace {
constexpr int kMicrCodesShown = 200;   // the codes a MICR code being typed may become
const char* const kModule = "frmFind";

QString joinNonEmpty(const QStringList& parts)
{
    QStringList kept;
    for (const QString& p : parts)
        if (!p.trimmed().isEmpty())
            kept << p.trimmed();
    return kept.join(QStringLiteral(", "));
}

FindAnswer branchAnswer(Recordset& rs)
{
    FindAnswer a;
    a.kind = QStringLiteral("IFSC");
    a.code = rs.field(QStringLiteral("IFSCCode"));
    const QString bank = rs.field(QStringLiteral("BankNm")), branch = rs.field(QStringLiteral("BankBr"));
    const QString centre = rs.field(QStringLiteral("Centre")), state = rs.field(QStringLiteral("StateN"));
    a.name = branch.isEmpty() ? QStringLiteral("(no branch details in the list)") : branch;
    a.where = joinNonEmpty({bank, centre, state});
    a.card = {{QStringLiteral("Bank"), bank},
              {QStringLiteral("Branch"), branch},
              {QStringLiteral("Address"), rs.field(QStringLiteral("BankAdd"))},
              {QStringLiteral("Centre"), centre},
              {QStringLiteral("District"), rs.field(QStringLiteral("District"))},
              {QStringLiteral("State"), state}};
    return a;
}

FindAnswer notice(const QString& kind, const QString& code, const QString& text)
{
    FindAnswer a;
    a.kind = kind;
    a.code = code;
    a.name = text;
    return a;
}

// A well-formed code that the list does not hold, and what date the list is as of.
FindAnswer notListed(const QString& kind, const QString& code, const QString& list, const char* resource)
{
    const QString asOf = ResourceStore::asOf(QLatin1String(resource));
    return notice(kind, code, QStringLiteral("not in the list of %1").arg(list) + (asOf.isEmpty() ? QString() : QStringLiteral(" (as of %1)").arg(asOf)));
}
} // namespace

Finder::Finder(Session* session) : m_session(session) {}
Finder::~Finder() = default;

QString Finder::describe(const QString& text)
{
    const QVector<Codes::Reading> rs = Codes::readings(text);
    if (text.trimmed().isEmpty())
        return QStringLiteral("Type or paste a code (IFSC, MICR, PIN, STD, ISD, BSR, PAN, TAN, GSTIN) or a name.");
    if (rs.isEmpty())
        return QStringLiteral("A name: banks, branches, towns, districts, post offices and countries.");
    QStringList captions;
    for (const Codes::Reading& r : rs)
        captions << Codes::caption(r.kind);
    return captions.size() == 1 ? QStringLiteral("A %1.").arg(captions.first())
                                : QStringLiteral("Could be: %1.").arg(captions.join(QStringLiteral(", or ")));
}

QString Finder::table(const TableDef& def, bool recheck)
{
    const QString key = QLatin1String(def.resource);
    const bool first = !m_tables.contains(key);
    if (first || recheck) {
        TableInUse& t = m_tables[key];
        t.name = setupReferenceTable(m_session, QString::fromLatin1(kModule), "FINDTEXT", def, &t.rows);
        if (first && def.codeIndex && !t.name.isEmpty())
            ensureCodeIndex(m_session, t.name, def);
    }
    return m_tables.value(key).name;
}

int Finder::rows(const TableDef& def)
{
    table(def);
    return m_tables.value(QLatin1String(def.resource)).rows;
}

bool Finder::open(Recordset& rs, const Sql& sql)
{
    return m_session && m_session->Db() && rs.open(sql, m_session->Db());
}

QVector<FindAnswer> Finder::answer(const QString& text)
{
    const QVector<Codes::Reading> rs = Codes::readings(text);
    if (rs.isEmpty())
        return names(text);
    QVector<FindAnswer> out;
    for (const Codes::Reading& r : rs)
        out += codeAnswers(r);
    return out;
}

QVector<FindAnswer> Finder::codeAnswers(const Codes::Reading& r)
{
    switch (r.kind) {
    case Codes::Kind::Ifsc: return ifsc(r.code);
    case Codes::Kind::Micr: return micr(r.code);
    case Codes::Kind::MicrStart: return micrStart(r.code);
    case Codes::Kind::Pin: return pin(r.code);
    case Codes::Kind::Std: return stdCode(r.code);
    case Codes::Kind::Isd: return isd(r.code);
    case Codes::Kind::Bsr: return bsr(r.code);
    case Codes::Kind::Pan:
    case Codes::Kind::Tan:
    case Codes::Kind::Gstin: return {structureAnswer(r)};
    }
    return {};
}

QVector<FindAnswer> Finder::branches(const Sql& where, int limit)
{
    QVector<FindAnswer> out;
    const QString t = table(Tables::IFSC);
    Recordset rs;
    // One code is one row: nothing to sort.
    const QString order = limit > 1 ? QStringLiteral(" Order by BankNm, BankBr") : QString();
    if (t.isEmpty() || !open(rs, Sql(QStringLiteral("Select * from ") + t + QStringLiteral(" Where ")) + where
                                      + Sql(order + QStringLiteral(" Limit ") + QString::number(limit))))
        return out;
    for (; !rs.eof(); rs.moveNext())
        out.append(branchAnswer(rs));
    return out;
}

QVector<FindAnswer> Finder::ifsc(const QString& code)
{
    QVector<FindAnswer> out = branches(Sql::equals(QStringLiteral("IFSCCode"), code), 1);
    if (out.isEmpty() && !table(Tables::IFSC).isEmpty())
        out.append(notListed(QStringLiteral("IFSC"), code, QStringLiteral("codes in use"), "IFSC"));
    return out;
}

QVector<FindAnswer> Finder::micrRows(const QString& digits, int limit)
{
    QVector<FindAnswer> out;
    const QString t = table(Tables::MICR);
    Recordset rs;
    Sql sql(QStringLiteral("Select * from ") + t + QStringLiteral(" Where "));
    sql += Sql::equals(QStringLiteral("CityCode"), digits.left(3)) + Sql(QStringLiteral(" And "))
           + Sql::equals(QStringLiteral("BankCode"), digits.mid(3, 3));
    // A whole code is one row; the start of one, the codes that go on from it, in order.
    if (digits.size() == 9)
        sql += Sql(QStringLiteral(" And ")) + Sql::equals(QStringLiteral("BranchCode"), digits.mid(6)) + Sql(QStringLiteral(" Limit 1"));
    else
        sql += Sql(QStringLiteral(" And BranchCode like '")) + Sql().like(digits.mid(6))
               + Sql(QStringLiteral("%' Order by BranchCode Limit ") + QString::number(limit));
    if (t.isEmpty() || !open(rs, sql))
        return out;
    for (; !rs.eof(); rs.moveNext()) {
        FindAnswer a;
        a.kind = QStringLiteral("MICR");
        const QString city = rs.field(QStringLiteral("City")), bank = rs.field(QStringLiteral("Bank")), branch = rs.field(QStringLiteral("Branch"));
        a.code = rs.field(QStringLiteral("CityCode")) + rs.field(QStringLiteral("BankCode")) + rs.field(QStringLiteral("BranchCode"));
        a.name = branch;
        a.where = joinNonEmpty({bank, city});
        a.card = {{QStringLiteral("Clearing city"), city}, {QStringLiteral("Bank"), bank}, {QStringLiteral("Branch"), branch}};
        out.append(a);
    }
    return out;
}

QVector<FindAnswer> Finder::micrStart(const QString& digits) { return micrRows(digits, kMicrCodesShown); }

QVector<FindAnswer> Finder::micr(const QString& code)
{
    QVector<FindAnswer> out = micrRows(code, 1);
    if (out.isEmpty()) {
        if (!table(Tables::MICR).isEmpty())
            out.append(notListed(QStringLiteral("MICR"), code, QStringLiteral("MICR codes"), "MICR"));
        return out;
    }
    // The branches that carry it (the bank's branches of that name), listed on Enter: finding
    // them reads the whole list of branches, which typing does not wait for.
    FindAnswer more = notice(QStringLiteral("IFSC"), QString(), QStringLiteral("The branches of %1 named %2").arg(out[0].card[1].second, out[0].name));
    more.next = FindAnswer::MicrBranches;
    more.path = QStringList{out[0].card[1].second, out[0].name};
    out.append(more);
    return out;
}

QVector<FindAnswer> Finder::pin(const QString& code)
{
    QVector<FindAnswer> out;
    const QString t = table(Tables::PIN);
    Recordset rs;
    if (t.isEmpty() || !open(rs, Sql(QStringLiteral("Select Area, City, StateN from ") + t + QStringLiteral(" Where "))
                                      + Sql::equals(QStringLiteral("PinCode"), code) + Sql(QStringLiteral(" Order by Area"))))
        return out;
    QString state;
    QStringList places;
    for (; !rs.eof(); rs.moveNext()) {
        FindAnswer a;
        a.kind = QStringLiteral("PIN");
        a.code = code;
        a.name = rs.value(0);
        const QString district = rs.value(1);
        state = rs.value(2);
        a.where = joinNonEmpty({district, state});
        a.card = {{QStringLiteral("Post office"), a.name}, {QStringLiteral("District"), district}, {QStringLiteral("State"), state},
                  {QStringLiteral("STD code"), QString()}};
        for (const QString& p : {a.name, district})
            if (!places.contains(p))
                places << p;
        out.append(a);
    }
    if (out.isEmpty())
        return {notListed(QStringLiteral("PIN"), code, QStringLiteral("PIN codes"), "PIN")};
    // The STD codes of all its places: a PIN's post offices share their exchanges.
    const QString std = stdCodesOf(state, places);
    for (FindAnswer& a : out)
        a.card[3].second = std;
    // The branches whose address has that PIN, listed on Enter (as a MICR code's branches are).
    FindAnswer more = notice(QStringLiteral("IFSC"), QString(), QStringLiteral("The bank branches with PIN %1 in their address").arg(code));
    more.next = FindAnswer::PinBranches;
    more.path = QStringList{code};
    out.append(more);
    return out;
}

QString Finder::stdCodesOf(const QString& state, const QStringList& places)
{
    const QString t = table(Tables::STD);
    if (t.isEmpty() || places.isEmpty())
        return {};
    Sql sql(QStringLiteral("Select distinct STDCode from ") + t + QStringLiteral(" Where "));
    sql += Sql::equals(QStringLiteral("StateN"), state) + Sql(QStringLiteral(" And City In ('"));
    for (int i = 0; i < places.size(); ++i)
        sql.value(places[i]).code(i + 1 < places.size() ? QStringLiteral("', '") : QStringLiteral("')"));
    Recordset rs;
    QStringList codes;
    if (open(rs, sql + Sql(QStringLiteral(" Order by STDCode"))))
        for (; !rs.eof(); rs.moveNext())
            codes << u'0' + rs.value(0);
    return codes.join(QStringLiteral(", "));
}

QVector<FindAnswer> Finder::placeRows(const Sql& sql, const QString& kind, const QString& code, const QString& nameCaption,
                                      const QString& whereCaption)
{
    QVector<FindAnswer> out;
    Recordset rs;
    if (!open(rs, sql))
        return out;
    for (; !rs.eof(); rs.moveNext()) {
        FindAnswer a;
        a.kind = kind;
        a.code = code;
        a.name = rs.value(0);
        a.where = rs.value(1);
        a.card = {{nameCaption, a.name}, {whereCaption, a.where}};
        out.append(a);
    }
    return out;
}

QVector<FindAnswer> Finder::stdCode(const QString& code)
{
    const QString t = table(Tables::STD);
    if (t.isEmpty())
        return {};
    return placeRows(Sql(QStringLiteral("Select City, StateN from ") + t + QStringLiteral(" Where ")) + Sql::equals(QStringLiteral("STDCode"), code)
                         + Sql(QStringLiteral(" Order by City")),
                     QStringLiteral("STD"), u'0' + code, QStringLiteral("Place"), QStringLiteral("State"));
}

QVector<FindAnswer> Finder::isd(const QString& code)
{
    const QString t = table(Tables::ISD);
    if (t.isEmpty())
        return {};
    // A code several countries share (+44, +1): the country with the most places first.
    const Sql sql = Sql(QStringLiteral("Select c.Country, c.City, (Select count(*) from ") + t
                        + QStringLiteral(" p Where p.Country = c.Country) Places from ") + t + QStringLiteral(" c Where "))
                    + Sql::equals(QStringLiteral("c.ISDCode"), code)
                    + Sql(QStringLiteral(" Order by c.City <> '(country code)', Places desc, c.Country, c.City"));
    return placeRows(sql, QStringLiteral("ISD"), u'+' + code, QStringLiteral("Country"), QStringLiteral("Place"));
}

QVector<FindAnswer> Finder::bsr(const QString& code)
{
    const QString t = table(Tables::BankBSR);
    if (t.isEmpty() || rows(Tables::BankBSR) <= 0)
        return {notice(QStringLiteral("BSR"), code, QStringLiteral("the list of BSR codes is not installed"))};
    Recordset rs;
    QVector<FindAnswer> out;
    if (!open(rs, Sql(QStringLiteral("Select * from ") + t + QStringLiteral(" Where ")) + Sql::equals(QStringLiteral("BSRCode"), code)))
        return out;
    for (; !rs.eof(); rs.moveNext()) {
        FindAnswer a;
        a.kind = QStringLiteral("BSR");
        a.code = code;
        const QString bank = rs.field(QStringLiteral("BankNm")), city = rs.field(QStringLiteral("City")), state = rs.field(QStringLiteral("StateN"));
        a.name = rs.field(QStringLiteral("BankBr"));
        a.where = joinNonEmpty({bank, city, state});
        a.card = {{QStringLiteral("Bank"), bank}, {QStringLiteral("Branch"), a.name}, {QStringLiteral("City"), city}, {QStringLiteral("State"), state}};
        out.append(a);
    }
    if (out.isEmpty())
        out.append(notice(QStringLiteral("BSR"), code, QStringLiteral("not in the installed list of BSR codes")));
    return out;
}

} // namespace qel

namespace qel {

FindAnswer structureAnswer(const Codes::Reading& r)
{
    FindAnswer a;
    a.kind = Codes::tag(r.kind);
    a.code = r.code;
    if (r.kind == Codes::Kind::Gstin) {
        const Codes::GstinCheck c = Codes::checkGstin(r.code);
        a.name = c.valid() ? QStringLiteral("A valid GSTIN") : c.faults.join(u' ');
        a.where = c.state;
        a.card = {{QStringLiteral("State"), c.state},
                  {QStringLiteral("PAN"), c.pan},
                  {QStringLiteral("Holder"), Codes::panHolder(c.pan.size() > 3 ? c.pan[3] : QChar())},
                  {QStringLiteral("Registration"), c.entity},
                  {QStringLiteral("Check character"), c.expectedCheck.isNull() ? QString() : QString(c.expectedCheck)},
                  {QStringLiteral("Result"), c.valid() ? QStringLiteral("Valid") : c.faults.join(u' ')}};
        return a;
    }
    const bool pan = r.kind == Codes::Kind::Pan;
    const bool valid = pan ? Codes::isValidPan(r.code) : Codes::isValidTan(r.code);
    a.name = valid ? QStringLiteral("Valid %1 structure").arg(a.kind) : QStringLiteral("Invalid %1.").arg(a.kind);
    const QChar fourth = r.code.size() > 3 ? r.code[3] : QChar();
    const QString holder = pan ? Codes::panHolder(fourth) : QString();
    if (pan)
        a.where = holder.isEmpty() ? QStringLiteral("the fourth letter, %1, names no kind of holder").arg(fourth) : holder;
    a.card = {{QStringLiteral("Structure"), valid ? QStringLiteral("Valid") : QStringLiteral("Invalid")}};
    if (pan)
        a.card.append({QStringLiteral("Holder"), holder});
    return a;
}

} // namespace qel
