#include "tests/testsupport.h"
#include "component/clsmain.h"
#include "db/recordset.h"
#include "refdata/resourcestore.h"
#include "refdata/tablesetup.h"
#include <QDir>
#include <QFile>
#include <QMap>
#include <QtTest>

namespace qel::test {

static QMap<QString, TestFactory>& tests()
{
    static QMap<QString, TestFactory> t;
    return t;
}

void registerTest(const char* name, TestFactory f) { tests().insert(QString::fromLatin1(name), std::move(f)); }

PrivateServer& server()
{
    static PrivateServer s([] {
        PrivateServer::Options o;
        const QByteArray dir = qgetenv("QELREFDESK_TEST_DATADIR");
        o.dataDir = dir.isEmpty() ? QDir::tempPath() + QStringLiteral("/qelrefdesk-testdb") : QString::fromLocal8Bit(dir);
        o.runDir = QStringLiteral("/tmp/qelrd-test-%1").arg(qHash(o.dataDir) % 100000);
        o.loadDir = docsRoot();
        return o;
    }());
    return s;
}

QString docsRoot()
{
    const QByteArray dir = qgetenv("QELREFDESK_TEST_DATADIR");
    const QString root = (dir.isEmpty() ? QDir::tempPath() + QStringLiteral("/qelrefdesk-testdb") : QString::fromLocal8Bit(dir))
                         + QStringLiteral("-docs");
    QDir().mkpath(root);
    return root;
}

std::unique_ptr<Connection> freshDatabase(const QString& name, const QString& charset)
{
    QString err;
    if (!server().ensureRunning(&err))
        qFatal("test database server: %s", qPrintable(err));
    Connection admin;
    if (!admin.open(server().connectionString()))
        qFatal("test database server: %s", qPrintable(admin.lastError().description));
    admin.Execute(QStringLiteral("DROP DATABASE IF EXISTS `%1`").arg(name));
    auto db = std::make_unique<Connection>();
    if (!server().connect(*db, name, charset, &err))
        qFatal("test database %s: %s", qPrintable(name), qPrintable(err));
    return db;
}

QString scalar(Connection& db, const QString& sql)
{
    Recordset rs;
    if (!rs.open(sql, &db))
        return QStringLiteral("<error: %1>").arg(rs.lastError().description);
    return rs.eof() ? QStringLiteral("<no rows>") : rs.value(0);
}

void writeResource(const QString& dir, const QString& type, const QByteArray& bytes)
{
    QDir().mkpath(dir);
    QFile f(dir + u'/' + type + QStringLiteral("1.dat"));
    f.open(QIODevice::WriteOnly | QIODevice::Truncate);
    f.write(bytes);
}

bool writeSystemConfig(const QString& dir, const QString& ini)
{
    QFile f(dir + QStringLiteral("/QELCONFIG.INI"));
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(ini.toUtf8()) == ini.toUtf8().size();
}

} // namespace qel::test

int main(int argc, char** argv)
{
    // The offscreen platform says this of every dialog with a layout; it is noise here.
    static const QtMessageHandler previous = qInstallMessageHandler([](QtMsgType t, const QMessageLogContext& c, const QString& m) {
        if (!m.contains(QLatin1String("does not support propagateSizeHints")))
            previous(t, c, m);
    });
    QApplication app(argc, argv);
    app.setApplicationName(QStringLiteral("qel_tests"));
    const QStringList args = app.arguments();
    if (args.size() < 2) {
        fprintf(stderr, "usage: qel_tests --start-server | --stop-server | TestClass [QTest options]\n");
        for (const QString& n : qel::test::tests().keys())
            fprintf(stderr, "  %s\n", qPrintable(n));
        return 2;
    }
    QString err;
    if (args[1] == u"--start-server") {
        qel::test::server().stop();   // a server left over from an interrupted run
        if (!qel::test::server().ensureRunning(&err)) {
            fprintf(stderr, "%s\n", qPrintable(err));
            return 1;
        }
        return 0;
    }
    if (args[1] == u"--connection-string" && args.size() == 3) {
        // For programs outside the tests that use the same server (the example host in CI).
        qel::test::freshDatabase(args[2]);
        printf("%s\n", qPrintable(qel::test::server().connectionString(args[2])));
        return 0;
    }
    if (args[1] == u"--setup-table" && args.size() == 6) {
        // One host's opening of a dialog, for the tests of hosts sharing a database:
        // --setup-table DATABASE TYPE RESOURCE-DIR DOCUMENT-DIR
        qel::Connection db;
        if (!db.open(qel::test::server().connectionString(args[2])))
            return 1;
        qel::ResourceStore::setOverrideDir(args[4]);
        qel::ClsMain cls;
        cls.InitMe(args[5], &db, QStringLiteral("host.log"), 1, 1, 1);
        const qel::TableDef* table = qel::Tables::forResource(args[3]);
        return table && qel::setupReferenceTable(&cls.session(), QStringLiteral("frmhost"), "INITDATA", *table) == QLatin1String(table->name) ? 0 : 1;
    }
    if (args[1] == u"--stop-server")
        return qel::test::server().stop(&err) ? 0 : (fprintf(stderr, "%s\n", qPrintable(err)), 1);
    const auto it = qel::test::tests().constFind(args[1]);
    if (it == qel::test::tests().constEnd()) {
        fprintf(stderr, "no test class %s\n", qPrintable(args[1]));
        return 2;
    }
    std::unique_ptr<QObject> t((*it)());
    QStringList rest = args;
    rest.removeAt(1);
    return QTest::qExec(t.get(), rest);
}
