#include "refdata/tablesetup.h"
#include "core/session.h"
#include "core/errlog.h"
#include "core/msgservice.h"
#include "db/connection.h"
#include "db/recordset.h"
#include "refdata/import.h"
#include "refdata/resourcestore.h"
#include <QLoggingCategory>
#include <QSet>

namespace qel {

Q_LOGGING_CATEGORY(lcSetup, "qelrefdesk.setup")

namespace {
// The server-side lock of one table of the current database.
Sql lockName(const QString& table)
{
    return Sql("concat('qelrefdesk.', md5(concat(ifnull(database(), ''), '.', '").value(table).code("')))");
}

void tellOnce(const QString& table, const QString& resource, int expected, const ImportResult& r)
{
    static QSet<QString> told;
    const QString key = resource + u'/' + QString::number(expected) + u'/' + table;
    if (told.contains(key))
        return;
    told.insert(key);
    MessageService::inform(nullptr, QStringLiteral("The %1 data could not be loaded into the table %2, so its lookups find "
                                                   "nothing for now.\n\n%3")
                                        .arg(resource, table, r.error.description.isEmpty() ? QStringLiteral("The table holds "
                                                                                                              "fewer rows than the data.")
                                                                                             : r.error.description));
}
} // namespace

void addListIndex(Connection* db, const QString& table, const TableDef& def)
{
    if (!db || !def.listIndex)
        return;
    Recordset rs;
    if (!rs.open(Sql("Show Index From ").code(table).code(QStringLiteral(" Where Key_name = 'qel_lists'")), db) || !rs.eof())
        return;
    if (!db->Execute(Sql("Alter Table ").code(table).code(QStringLiteral(" Add Index qel_lists (") + QString::fromLatin1(def.listIndex) + u')')))
        qCInfo(lcSetup, "%s: no index for the lists: %s", qPrintable(table), qPrintable(db->lastError().description));
}

QString setupReferenceTable(Session* cls, const QString& module, const char* procedure, const TableDef& def, int* rows)
{
    if (rows)
        *rows = -1;
    const ErrHandler eh(cls, module, procedure);
    Connection* db = cls ? cls->Db() : nullptr;
    const auto exec = [&](const Sql& sql) {
        if (db)
            eh(db->Execute(sql), db->lastError());
        else
            eh.fail(dberr::kNoConnection, QStringLiteral("The connection cannot be used to perform this operation."), QString::fromLatin1(kDriverSource));
    };
    const QString resource = QString::fromLatin1(def.resource);
    QString name = QString::fromLatin1(def.name);
    // One host at a time: a second one waits here (for as long as a large load may take) and
    // then finds the right count.
    const Sql lock = lockName(name);
    if (db)
        exec(Sql("Do get_lock(") + lock + Sql(", 600)"));
    Recordset rs;
    for (;;) {
        exec(QStringLiteral("Create Table If Not Exists ") + name + QString::fromLatin1(def.columns));
        exec(Sql("Flush Tables"));
        // The rows counted by the server, not fetched: a table that cannot be opened fails here too.
        if (eh(rs.open(QStringLiteral("Select count(*) from ") + name, db), rs.lastError())) {
            addListIndex(db, name, def);
            break;
        }
        exec(QStringLiteral("Drop Table ") + name);
        exec(Sql("Flush Tables"));
        if (name.endsWith(u'1')) {
            name.clear();
            break;
        }
        name += u'1';
    }
    if (!name.isEmpty()) {
        const int expected = ResourceStore::recordCount(resource);
        int count = rs.value(0).toInt();
        if (count != expected) {
            const BusyNotice notice(nullptr, QStringLiteral("Preparing the %1 data for its first use: it is loaded into the "
                                                            "database once, which can take a few seconds.")
                                                 .arg(resource));
            exec(QStringLiteral("Delete From ") + name);
            exec(Sql("Flush Tables"));
            const ImportResult r = importResource(*cls, name, 1, resource);
            // The emptied table holds what the load put in, as the server reports it.
            if (r.loaded && r.rows >= 0)
                count = int(r.rows);
            else
                count = rs.open(QStringLiteral("Select count(*) from ") + name, db) ? rs.value(0).toInt() : -1;
            if (db && (!r.loaded || count != expected))
                tellOnce(name, resource, expected, r);
        }
        rs.close();
        if (rows)
            *rows = count;
    }
    if (db)
        exec(Sql("Do release_lock(") + lock + Sql(")"));
    return name;
}

} // namespace qel
