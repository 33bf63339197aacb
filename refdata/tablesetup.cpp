#include "refdata/tablesetup.h"
#include "core/session.h"
#include "core/errlog.h"
#include "core/msgservice.h"
#include "db/connection.h"
#include "db/recordset.h"
#include "refdata/import.h"
#include "refdata/loadlock.h"
#include "refdata/resourcestore.h"
#include <QLoggingCategory>
#include <QRandomGenerator>
#include <QSet>

namespace qel {


namespace {

// What one setup works with: where it logs, and the connection.
struct Setup {
    Session* cls;
    ErrHandler eh;
    Connection* db;
    const TableDef& def;

    bool exec(const Sql& sql) const
    {
        if (db)
            return eh(db->Execute(sql), db->lastError());
        eh.fail(dberr::kNoConnection, QStringLiteral("The connection cannot be used to perform this operation."), QString::fromLatin1(kDriverSource));
        return false;
    }
    // The rows counted by the server, not fetched: a table that cannot be opened fails here; -1 then.
    int count(const QString& table, bool logged = true, bool* keyed = nullptr) const
    {
        // With keyed, in the same statement: whether the table has its key, which the statement
        // names (a lookup in the server's catalogue costs more, and on a server of many
        // databases much more); a table without it answers "unknown column" and is counted alone.
        Recordset rs;
        bool ok = keyed && rs.open(Sql(QStringLiteral("Select count(*), min(qel_row) from ") + table), db);
        if (keyed)
            *keyed = ok;
        if (!ok && (!keyed || rs.lastError().number == dberr::kUnknownColumn))
            ok = rs.open(Sql(QStringLiteral("Select count(*) from ") + table), db);
        if (!ok && logged)
            eh.fail(rs.lastError());
        return ok ? rs.value(0).toInt() : -1;
    }
    // The table holds the resource's rows (counted anew) and has its key (a table of an older
    // version has none).
    bool current(const QString& table, int expected, int* rows) const
    {
        bool keyed = false;
        *rows = count(table, false, &keyed);
        return *rows == expected && keyed;
    }
};

void tellOnce(const Session* cls, const QString& table, const QString& resource, int expected, int kept, const ImportResult& r)
{
    static QSet<QString> told;
    const QString key = resource + u'/' + QString::number(expected) + u'/' + table;
    if (told.contains(key))
        return;
    told.insert(key);
    const QString why = r.error.description.isEmpty() ? QStringLiteral("The table holds fewer rows than the data.") : r.error.description;
    MessageService::inform(cls, nullptr, kept > 0 ? QStringLiteral("The %1 data could not be loaded into the table %2; its lookups go on "
                                                              "with the %3 rows it held before.\n\n%4")
                                                   .arg(resource, table)
                                                   .arg(kept)
                                                   .arg(why)
                                             : QStringLiteral("The %1 data could not be loaded into the table %2, so its lookups "
                                                              "find nothing for now.\n\n%3")
                                                   .arg(resource, table, why));
}

// The table in use: created when missing; one that cannot be opened is dropped and the name
// with "1" tried once. Empty when neither opens; rows: the rows it holds, keyed: whether it has
// its key.
QString openTable(const Setup& s, int* rows, bool* keyed)
{
    QString name = QString::fromLatin1(s.def.name);
    for (;;) {
        s.exec(QStringLiteral("Create Table If Not Exists ") + name + createColumns(s.def));
        flushTables(s.db);
        if ((*rows = s.count(name, true, keyed)) >= 0)
            return name;
        s.exec(QStringLiteral("Drop Table If Exists ") + name);
        flushTables(s.db);
        if (name.endsWith(u'1'))
            return {};
        name += u'1';
    }
}

QString runName(const QString& table, const char* what)
{
    return table + u'_' + QLatin1String(what) + QString::number(QRandomGenerator::global()->generate64() & 0xffffffffffULL, 36);
}

// Puts the loaded staging table in the place of the one in use, in one statement.
void swapIn(const Setup& s, const QString& table, const QString& staging)
{
    const QString old = runName(table, "old");
    if (!s.db->Execute(QStringLiteral("Rename Table ") + table + QStringLiteral(" To ") + old + QStringLiteral(", ") + staging
                       + QStringLiteral(" To ") + table))
        s.exec(QStringLiteral("Rename Table ") + staging + QStringLiteral(" To ") + table);   // the table in use was gone
    s.exec(QStringLiteral("Drop Table If Exists ") + old);
    flushTables(s.db);
}

// Drops the staging tables of hosts that died during their load (the run's own name and old enough
// that no load can still be writing it).
void dropLeftovers(const Setup& s, const QString& table)
{
    Recordset rs;
    if (!rs.open(Sql(QStringLiteral("Select table_name from information_schema.tables where table_schema = database() "
                                    "and create_time < now() - interval %1 second").arg(LoadLock::kStaleSeconds)), s.db))
        return;
    QStringList gone;
    for (; !rs.eof(); rs.moveNext())
        if (rs.value(0).startsWith(table + QStringLiteral("_new")) || rs.value(0).startsWith(table + QStringLiteral("_old")))
            gone << rs.value(0);
    rs.close();
    for (const QString& name : gone)
        s.exec(QStringLiteral("Drop Table If Exists ") + name);
}

// Loads the resource into a staging table and swaps it in; a load that lost a certification
// conflict or its connection is tried once more. Returns the rows the table in use holds.
int reload(const Setup& s, const QString& table, int expected)
{
    const QString resource = QString::fromLatin1(s.def.resource);
    dropLeftovers(s, table);
    ImportResult r;
    for (int attempt = 0; attempt < 2; ++attempt) {
        const QString staging = runName(table, "new");
        if (!s.exec(QStringLiteral("Create Table ") + staging + createColumns(s.def)))
            break;
        r = importResource(*s.cls, staging, 1, resource);
        const qint64 loaded = r.loaded && r.rows >= 0 ? r.rows : s.count(staging, false);
        if (r.loaded && loaded == expected) {
            swapIn(s, table, staging);
            return int(loaded);
        }
        s.exec(QStringLiteral("Drop Table If Exists ") + staging);
        if (!dberr::isRetryable(r.error.number))
            break;
        qCInfo(lcSetup, "%s: the load failed (%d), trying once more", qPrintable(table), r.error.number);
    }
    const int kept = s.count(table, false);
    tellOnce(s.cls, table, resource, expected, kept, r);
    return kept;
}

} // namespace

QString createColumns(const TableDef& def)
{
    QString columns = QString::fromLatin1(def.columns).trimmed();
    columns.chop(1);   // the closing parenthesis
    columns += QStringLiteral(", qel_row Int Unsigned Not Null Auto_Increment Invisible, Primary Key (qel_row)");
    if (def.listIndex)
        columns += QStringLiteral(", Index qel_lists (") + QString::fromLatin1(def.listIndex) + u')';
    if (def.codeIndex)
        columns += QStringLiteral(", Index qel_code (") + QString::fromLatin1(def.codeIndex) + u')';
    return u' ' + columns + u')';
}

void ensureCodeIndex(Session* cls, const QString& table, const TableDef& def)
{
    Connection* db = cls ? cls->Db() : nullptr;
    if (!db || !def.codeIndex)
        return;
    Recordset rs;
    if (!rs.open(Sql(QStringLiteral("Show Index From ") + table + QStringLiteral(" Where Key_name = 'qel_code'")), db) || !rs.eof())
        return;
    if (!db->Execute(QStringLiteral("Alter Table ") + table + QStringLiteral(" Add Index qel_code (") + QLatin1String(def.codeIndex) + u')'))
        qCInfo(lcSetup, "%s: no index on its codes (%d)", qPrintable(table), db->lastError().number);
}

QString setupReferenceTable(Session* cls, const QString& module, const char* procedure, const TableDef& def, int* rows)
{
    if (rows)
        *rows = -1;
    const Setup s{cls, ErrHandler(cls, module, procedure), cls ? cls->Db() : nullptr, def};
    int count = -1;
    bool keyed = false;
    const QString name = openTable(s, &count, &keyed);
    if (name.isEmpty())
        return name;
    const int expected = ResourceStore::recordCount(QString::fromLatin1(def.resource));
    if (count != expected || !keyed) {
        // One host at a time; a second one waits, and then finds the rows in place.
        const LoadLock lock(s.db, name, [&] { return s.current(name, expected, &count); });
        if (!lock.foundDone() && !s.current(name, expected, &count)) {
            const BusyNotice notice(s.cls, nullptr, QStringLiteral("Preparing the %1 data for its first use: it is loaded into the "
                                                            "database once, which can take a few seconds.")
                                                 .arg(QString::fromLatin1(def.resource)));
            count = reload(s, name, expected);
        }
    }
    if (rows)
        *rows = count;
    return name;
}

} // namespace qel
