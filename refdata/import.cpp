#include "refdata/import.h"
#include "core/session.h"
#include "core/errlog.h"
#include "core/files.h"
#include "db/connection.h"
#include "db/recordset.h"
#include "refdata/resourcestore.h"
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLoggingCategory>

namespace qel {

Q_LOGGING_CATEGORY(lcImport, "qelrefdesk.import")

namespace {

// A name that reaches the server's file system unchanged: the statement goes in latin1 and
// turns backslashes into slashes, so only plain ASCII without backslashes survives.
bool exactName(const QString& path)
{
    return std::all_of(path.begin(), path.end(), [](QChar c) { return c.unicode() >= 0x20 && c.unicode() < 0x7f && c != u'\\'; });
}

bool inside(const QString& path, const QString& folder)
{
    const QString p = QFileInfo(path).canonicalFilePath(), f = QFileInfo(folder).canonicalFilePath();
    return !p.isEmpty() && !f.isEmpty() && (p == f || p.startsWith(f + u'/'));
}


struct Folder {
    QString path;        // where the file goes; empty: over the connection
    bool documents = false;   // the host's document folder itself, the file by the resource's name
};

// A folder from which the server may read the component's file: the file must stay what the
// component wrote until the server has read it, so no other user may be able to swap it.
Folder chooseFolder(Connection* db, const QString& docPath)
{
    if (!db || !db->serverOnThisMachine())
        return {db ? QString() : docPath, !db};
    Recordset rs;
    if (!rs.open(Sql("Select @@secure_file_priv is null, ifnull(@@secure_file_priv, '')"), db))
        return {docPath, true};
    if (rs.value(0) == u"1")
        return {};   // the server loads no files at all
    QString allowed = rs.value(1);
    while (allowed.size() > 1 && allowed.endsWith(u'/'))
        allowed.chop(1);
    if ((allowed.isEmpty() || inside(docPath, allowed)) && exactName(docPath) && !othersCanChange(docPath))
        return {docPath, true};
    // The server's own load folder, when this process can put a file there.
    const QFileInfo folder(allowed);
    if (!allowed.isEmpty() && exactName(allowed) && folder.isDir() && folder.isWritable() && !othersCanChange(allowed))
        return {allowed, false};
    return {};
}

} // namespace

void flushTables(Connection* db)
{
    if (db && db->hasGlobalRight(QByteArrayLiteral("RELOAD")))
        db->Execute(Sql("Flush Tables"));
}

Sql loadStatement(const QString& fileName, const QString& table, bool overConnection)
{
    // The resource is Windows-1252 text; "character set latin1" (the server's name for that code
    // page) has the server read it as such whatever the database's own character set is.
    return Sql(overConnection ? "load data local infile '" : "load data infile '")
        .value(QString(fileName).replace(u'\\', u'/'))
        .code(QStringLiteral("' into table ") + table + QStringLiteral(" character set latin1")
              + QStringLiteral(" fields terminated by ',' enclosed by '\\") + u'"'
              + QStringLiteral("' escaped by '\\\\' lines terminated by '\u00A6';"));
}

namespace {

// One load's state: where it goes, what came of it, where failures are logged.
struct Load {
    Connection* db;
    const QString& table;
    const ErrHandler& eh;
    ImportResult& result;
    void failed(const DbError& e) const
    {
        result.error = e;
        eh.fail(e);
    }
};

// The server reads the file itself; true when it cannot after all and the data should go over
// the connection instead.
bool loadServerFile(const Load& l)
{
    // The terminator byte in the statement must reach the server as the byte 0xA6 it stands for
    // in the file, so the statement goes in the file's character set.
    l.result.loaded = l.db->Execute(loadStatement(l.result.file, l.table), QByteArrayLiteral("latin1"));
    if (!l.result.loaded && dberr::isUnreadableFile(l.db->lastError().number)) {
        qCInfo(lcImport, "%s: the server cannot read %s (%s); sending the data over the connection", qPrintable(l.table),
               qPrintable(l.result.file), qPrintable(l.db->lastError().description));
        return true;
    }
    if (!l.result.loaded)
        l.failed(l.db->lastError());
    return false;
}

void loadOverConnection(const Load& l, const QString& name, const QByteArray& data)
{
    ImportResult& result = l.result;
    result.route = ImportResult::OverConnection;
    if (result.file.isEmpty())
        result.file = name;
    result.loaded = l.db->loadLocal(loadStatement(result.file, l.table, true), QString(result.file).replace(u'\\', u'/'), data,
                                    QByteArrayLiteral("latin1"));
    // Over the connection the server loads what it can and warns of the rest (a text cut
    // short); the table then holds other data than the resource, and is emptied instead (at
    // once, not row by row), as a load from a file leaves it.
    const auto cut = std::find_if(l.db->warnings().begin(), l.db->warnings().end(),
                                  [](const DbError& w) { return w.number != dberr::kMultiByteTerminator; });
    if (result.loaded && cut != l.db->warnings().end()) {
        result.loaded = false;
        l.failed(*cut);
        l.eh(l.db->Execute(QStringLiteral("Truncate Table ") + l.table), l.db->lastError());
    } else if (!result.loaded) {
        DbError e = l.db->lastError();
        if (dberr::isLocalInfileRefused(e.number))
            e.description = QStringLiteral("The database server takes no data over the connection (its local_infile "
                                           "setting is off) and cannot read the component's file itself: %1")
                                .arg(e.description);
        l.failed(e);
    }
}

} // namespace

ImportResult importResource(Session& cls, const QString& Tb, int Id, const QString& Typ)
{
    const ErrHandler eh(&cls, QStringLiteral("CLSMAIN"), "IMPORTRESFLDATA");
    ImportResult result;
    Connection* db = cls.Db();
    const Load load{db, Tb, eh, result};
    const QString name = Typ + QString::number(Id) + QStringLiteral(".dat");
    bool found = false;
    const QByteArray data = ResourceStore::bytes(Typ, Id, &found);
    if (!found)
        load.failed({325, QStringLiteral("Invalid format in resource file: resource %1 %2 not found").arg(Typ).arg(Id), QStringLiteral("QELRefDesk")});
    const Folder folder = chooseFolder(db, cls.DocPath());
    CreatedFile file;
    if (!folder.path.isEmpty()) {
        // In the document folder by the resource's name; in the server's own folder, which other
        // processes share, by a name of this process's own.
        result.file = folder.path + u'/' + (folder.documents ? name : Typ + QString::number(Id) + u'-'
                                                                    + QString::number(QCoreApplication::applicationPid()) + QStringLiteral(".dat"));
        QString why;
        if (!file.create(result.file, data, &why))
            load.failed({75, QStringLiteral("Path/File access error: %1: %2").arg(result.file, why), QStringLiteral("QELRefDesk")});
    }
    if (!db) {
        load.failed({91, QStringLiteral("Object variable or With block variable not set"), QStringLiteral("QELRefDesk")});
    } else {
        if (!file.exists() || loadServerFile(load))
            loadOverConnection(load, name, data);
        if (result.loaded) {
            result.rows = db->affectedRows();   // the load was the last statement that ran
            qCInfo(lcImport, "%s: %s loaded %s", qPrintable(Tb), qPrintable(name),
                   result.route == ImportResult::ServerFile ? qPrintable(QStringLiteral("by the server from ") + result.file)
                                                            : "over the connection");
        }
        flushTables(db);
    }
    if (!file.remove())
        load.failed({53, QStringLiteral("File not found: %1").arg(result.file), QStringLiteral("QELRefDesk")});
    return result;
}

} // namespace qel
