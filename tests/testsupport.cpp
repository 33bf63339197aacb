#include "tests/testsupport.h"
#include "component/clsmain.h"
#include "db/recordset.h"
#include "refdata/resourcestore.h"
#include "refdata/tablesetup.h"
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QRandomGenerator>
#include <QTcpServer>
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

namespace {
QString dataRoot()
{
    const QByteArray dir = qgetenv("QELREFDESK_TEST_DATADIR");
    return dir.isEmpty() ? QDir::tempPath() + QStringLiteral("/qelrefdesk-testdb") : QString::fromLocal8Bit(dir);
}

QString tlsDir() { return dataRoot() + QStringLiteral("-tls"); }

bool run(const QString& program, const QStringList& args, QString* error)
{
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(program, args);
    if (p.waitForFinished(60000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0)
        return true;
    *error = program + u' ' + args.join(u' ') + QStringLiteral(": ") + QString::fromLocal8Bit(p.readAll());
    return false;
}

// A CA of the tests' own and a server certificate it signed for 127.0.0.1.
bool makeCertificates(QString* error)
{
    const QString d = tlsDir();
    if (QFileInfo::exists(d + QStringLiteral("/server-cert.pem")))
        return true;
    QDir().mkpath(d);
    QFile ext(d + QStringLiteral("/san.ext"));
    ext.open(QIODevice::WriteOnly);
    ext.write("subjectAltName=IP:127.0.0.1\n");
    ext.close();
    return run(QStringLiteral("openssl"), {QStringLiteral("req"), QStringLiteral("-x509"), QStringLiteral("-newkey"), QStringLiteral("rsa:2048"),
                                           QStringLiteral("-nodes"), QStringLiteral("-keyout"), d + QStringLiteral("/ca-key.pem"),
                                           QStringLiteral("-out"), d + QStringLiteral("/ca.pem"), QStringLiteral("-days"), QStringLiteral("30"),
                                           QStringLiteral("-subj"), QStringLiteral("/CN=QELRefDesk FIXTURE CA")},
               error)
           && run(QStringLiteral("openssl"), {QStringLiteral("req"), QStringLiteral("-newkey"), QStringLiteral("rsa:2048"), QStringLiteral("-nodes"),
                                              QStringLiteral("-keyout"), d + QStringLiteral("/server-key.pem"), QStringLiteral("-out"),
                                              d + QStringLiteral("/server.csr"), QStringLiteral("-subj"), QStringLiteral("/CN=127.0.0.1")},
                  error)
           && run(QStringLiteral("openssl"), {QStringLiteral("x509"), QStringLiteral("-req"), QStringLiteral("-in"), d + QStringLiteral("/server.csr"),
                                              QStringLiteral("-CA"), d + QStringLiteral("/ca.pem"), QStringLiteral("-CAkey"), d + QStringLiteral("/ca-key.pem"),
                                              QStringLiteral("-CAcreateserial"), QStringLiteral("-days"), QStringLiteral("30"), QStringLiteral("-out"),
                                              d + QStringLiteral("/server-cert.pem"), QStringLiteral("-extfile"), d + QStringLiteral("/san.ext")},
                  error);
}

QString tcpConnectionFile() { return tlsDir() + QStringLiteral("/qeltest.conn"); }
} // namespace

PrivateServer& server()
{
    static PrivateServer s([] {
        PrivateServer::Options o;
        o.dataDir = dataRoot();
        o.runDir = QStringLiteral("/tmp/qelrd-test-%1").arg(qHash(o.dataDir) % 100000);
        o.loadDir = docsRoot();
        return o;
    }());
    return s;
}

namespace {
// A server of the tests' on 127.0.0.1 (its port given when it starts), with these further options;
// its load folder is removed once it runs, so that it reads no file of ours.
PrivateServer::Options networkServer(const QString& name, const QStringList& more)
{
    PrivateServer::Options o;
    o.dataDir = dataRoot() + u'-' + name;
    o.runDir = QStringLiteral("/tmp/qelrd-test-%1-%2").arg(qHash(o.dataDir) % 100000).arg(name);
    o.loadDir = dataRoot() + u'-' + name + QStringLiteral("-load");
    o.networkArguments = QStringList{QStringLiteral("--bind-address=127.0.0.1"), QStringLiteral("--skip-name-resolve"),
                                     QStringLiteral("--local-infile=1")}
                         + more;
    return o;
}
} // namespace

PrivateServer& tcpServer()
{
    const QString d = tlsDir();
    static PrivateServer s(networkServer(QStringLiteral("tcp"), {QStringLiteral("--ssl-ca=") + d + QStringLiteral("/ca.pem"),
                                                                 QStringLiteral("--ssl-cert=") + d + QStringLiteral("/server-cert.pem"),
                                                                 QStringLiteral("--ssl-key=") + d + QStringLiteral("/server-key.pem")}));
    return s;
}

namespace {
// Starts s on a free port of 127.0.0.1, with an account of that name and a fresh password that
// has rights on the tests' databases only; the connection string of that account (no database).
bool startOnFreePort(PrivateServer& s, const QString& user, const QString& require, QString* conn, QString* error)
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost);
    const quint16 port = probe.serverPort();
    probe.close();
    PrivateServer::Options o = s.options();
    o.networkArguments << QStringLiteral("--port=%1").arg(port);
    QDir().mkpath(o.loadDir);
    s = PrivateServer(o);
    if (!s.ensureRunning(error))
        return false;
    QDir(o.loadDir).removeRecursively();
    const QString password = QString::number(QRandomGenerator::system()->generate64(), 36);
    Connection admin;
    if (!admin.open(s.connectionString()))
        return *error = admin.lastError().description, false;
    const QString account = QStringLiteral("'%1'@'127.0.0.1'").arg(user);
    for (const Sql& sql : {Sql("Drop User If Exists ") + account,
                           Sql("Create User ") + account + Sql(" Identified By '").value(password).code("' ") + require,
                           Sql("Grant All Privileges On `t\\_%`.* To ") + account})
        if (!admin.Execute(sql))
            return *error = admin.lastError().description, false;
    *conn = QStringLiteral("Server=127.0.0.1;Port=%1;Uid=%2;Pwd=%3;").arg(port).arg(user, password);
    return true;
}
} // namespace

bool startTcpServer(QString* error)
{
    // TLS with the tests' CA, and a load folder that does not exist: the server reads no file of ours.
    QString conn;
    if (!makeCertificates(error) || !startOnFreePort(tcpServer(), QStringLiteral("qeltest"), QStringLiteral("Require SSL"), &conn, error))
        return false;
    QFile file(tcpConnectionFile());
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return *error = file.errorString(), false;
    file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    file.write((conn + QStringLiteral("SslMode=VerifyFull;SslCa=%1/ca.pem;\n").arg(tlsDir())).toUtf8());
    return true;
}

PrivateServer& plainServer()
{
    static PrivateServer s(networkServer(QStringLiteral("plain"), {QStringLiteral("--init-connect=SET NAMES gbk")}));
    return s;
}

QString startPlainServer(QString* error)
{
    QString conn;
    return startOnFreePort(plainServer(), QStringLiteral("qelplain"), QString(), &conn, error) ? conn : QString();
}

bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

bool tcpMode() { return qgetenv("QELREFDESK_TEST_SERVER") == "tcp" || externalMode(); }

bool externalMode() { return qgetenv("QELREFDESK_TEST_SERVER") == "external"; }

namespace {
// The account of the server the tests run against, without a database: the tests' TCP server's,
// or the one in QELREFDESK_TEST_CONNECTION_FILE (a server of the tests' runner, such as a node of
// a cluster; the account may create and drop the databases named t_...).
QString accountString()
{
    QString conn, error;
    const QString file = externalMode() ? qEnvironmentVariable("QELREFDESK_TEST_CONNECTION_FILE") : tcpConnectionFile();
    if (!ConnectionOptions::readFile(file, &conn, &error))
        qFatal("the tests' server: %s", qPrintable(error));
    return conn;
}
} // namespace

QString connectionString(const QString& database)
{
    if (!tcpMode())
        return server().connectionString(database);
    return accountString() + QStringLiteral("Database=%1;").arg(database);
}

QString docsRoot()
{
    const QString root = dataRoot() + QStringLiteral("-docs");
    QDir().mkpath(root);
    return root;
}

std::unique_ptr<Connection> freshDatabase(const QString& name, const QString& charset)
{
    // The databases are made by the server's own account (over its socket); the tests use them
    // over the connection of their run: the private server's socket, or TCP with TLS.
    QString err;
    PrivateServer& s = tcpMode() ? tcpServer() : server();
    if (!tcpMode() && !s.ensureRunning(&err))
        qFatal("test database server: %s", qPrintable(err));
    Connection admin;
    if (!admin.open(externalMode() ? accountString() : s.connectionString()))
        qFatal("test database server: %s", qPrintable(admin.lastError().description));
    admin.Execute(QStringLiteral("DROP DATABASE IF EXISTS `%1`").arg(name));
    if (!admin.Execute(QStringLiteral("CREATE DATABASE `%1` CHARACTER SET %2").arg(name, charset)))
        qFatal("test database %s: %s", qPrintable(name), qPrintable(admin.lastError().description));
    auto db = std::make_unique<Connection>();
    if (!db->open(connectionString(name)))
        qFatal("test database %s: %s", qPrintable(name), qPrintable(db->lastError().description));
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

namespace {

// --setup-table DATABASE TYPE RESOURCE-DIR DOCUMENT-DIR: one host's opening of a dialog, for the
// tests of hosts sharing a database.
int setupTable(const QStringList& args)
{
    qel::Connection db;
    if (!db.open(qel::test::connectionString(args[2])))
        return 1;
    qel::ResourceStore::setOverrideDir(args[4]);
    qel::ClsMain cls;
    cls.InitMe(args[5], &db, QStringLiteral("host.log"), 1, 1, 1);
    const qel::TableDef* table = qel::Tables::forResource(args[3]);
    return table && qel::setupReferenceTable(&cls.session(), QStringLiteral("frmhost"), "INITDATA", *table) == QLatin1String(table->name) ? 0 : 1;
}

int reported(bool ok, const QString& err)
{
    if (!ok)
        fprintf(stderr, "%s\n", qPrintable(err));
    return ok ? 0 : 1;
}

// The commands that manage the tests' servers; -1 when args name none of them.
int serverCommand(const QStringList& args)
{
    QString err;
    if (args[1] == u"--start-server") {
        qel::test::server().stop();   // a server left over from an interrupted run
        return reported(qel::test::server().ensureRunning(&err), err);
    }
    if (args[1] == u"--connection-string" && args.size() == 3) {
        // For programs outside the tests that use the same server (the example host in CI).
        qel::test::freshDatabase(args[2]);
        printf("%s\n", qPrintable(qel::test::connectionString(args[2])));
        return 0;
    }
    if (args[1] == u"--setup-table" && args.size() == 6)
        return setupTable(args);
    if (args[1] == u"--start-tcp-server") {
        qel::test::tcpServer().stop();
        return reported(qel::test::startTcpServer(&err), err);
    }
    if (args[1] == u"--stop-tcp-server")
        return reported(qel::test::tcpServer().stop(&err), err);
    if (args[1] == u"--stop-server")
        return reported(qel::test::server().stop(&err), err);
    return -1;
}

} // namespace

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
    if (const int done = serverCommand(args); done >= 0)
        return done;
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
