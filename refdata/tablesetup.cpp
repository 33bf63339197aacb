#include "refdata/tablesetup.h"
#include "component/clsmain.h"
#include "component/errlog.h"
#include "db/connection.h"
#include "db/recordset.h"
#include "db/sqltext.h"
#include "refdata/resourcestore.h"
#include <QFile>
#include <QFileInfo>

namespace qel {

QString setupReferenceTable(ClsMain* cls, const QString& module, const char* procedure, const TableDef& def)
{
    const ErrHandler eh(cls, module, procedure);
    Connection* db = cls ? cls->Db() : nullptr;
    const auto exec = [&](const QString& sql) {
        if (db)
            eh(db->Execute(sql), db->lastError());
        else
            eh.fail(3709, QStringLiteral("The connection cannot be used to perform this operation."), QString::fromLatin1(kDriverSource));
    };
    QString name = QString::fromLatin1(def.name);
    Recordset rs;
    for (;;) {
        exec(QStringLiteral("Create Table If Not Exists ") + name + QString::fromLatin1(def.columns));
        exec(QStringLiteral("Flush Tables"));
        if (eh(rs.open(name, db, Recordset::Table), rs.lastError()))
            break;
        exec(QStringLiteral("Drop Table ") + name);
        exec(QStringLiteral("Flush Tables"));
        if (name.endsWith(u'1')) {
            name.clear();
            break;
        }
        name += u'1';
    }
    if (!name.isEmpty()) {
        if (rs.recordCount() != ResourceStore::recordCount(QString::fromLatin1(def.resource))) {
            exec(QStringLiteral("Delete From ") + name);
            exec(QStringLiteral("Flush Tables"));
            cls->ImportResFlData(name, 1, QString::fromLatin1(def.resource));
        }
        rs.close();
    }
    return name;
}

QString loadStatement(const QString& fileName, const QString& table)
{
    // The resource is Windows-1252 text; "character set latin1" (the server's name for that code
    // page) has the server read it as such whatever the database's own character set is.
    return QStringLiteral("load data infile '") + sqlText(QString(fileName).replace(u'\\', u'/'))
           + QStringLiteral("' into table ") + table + QStringLiteral(" character set latin1")
           + QStringLiteral(" fields terminated by ',' enclosed by '\\") + u'"'
           + QStringLiteral("' escaped by '\\\\' lines terminated by '\u00A6';");
}

void importResourceFile(ClsMain& cls, const QString& Tb, int Id, const QString& Typ)
{
    const ErrHandler eh(&cls, QStringLiteral("CLSMAIN"), "IMPORTRESFLDATA");
    const QString file = cls.DocPath() + u'/' + Typ + QString::number(Id) + QStringLiteral(".dat");
    bool found = false;
    const QByteArray data = ResourceStore::bytes(Typ, Id, &found);
    if (!found)
        eh.fail(325, QStringLiteral("Invalid format in resource file: resource %1 %2 not found").arg(Typ).arg(Id),
                QStringLiteral("QELRefDesk"));
    QFile f(file);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        eh.fail(75, QStringLiteral("Path/File access error: %1").arg(f.errorString()), QStringLiteral("QELRefDesk"));
    else if (f.write(data) != data.size())
        eh.fail(61, QStringLiteral("Disk full: %1").arg(f.errorString()), QStringLiteral("QELRefDesk"));
    f.close();
    if (!QFileInfo::exists(file))
        return;
    Connection* db = cls.Db();
    if (!db) {
        eh.fail(91, QStringLiteral("Object variable or With block variable not set"), QStringLiteral("QELRefDesk"));
    } else {
        // The terminator byte in the statement must reach the server as the byte 0xA6 it stands
        // for in the file, so the statement goes in the file's character set.
        eh(db->Execute(loadStatement(file, Tb), QByteArrayLiteral("latin1")), db->lastError());
        eh(db->Execute(QStringLiteral("Flush Tables")), db->lastError());
    }
    if (!QFile::remove(file))
        eh.fail(53, QStringLiteral("File not found: %1").arg(file), QStringLiteral("QELRefDesk"));
}

namespace {
const bool registered = (ClsMain::setImporter(&importResourceFile), true);
}

} // namespace qel
