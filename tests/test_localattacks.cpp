#include "component/clsmain.h"
#include "core/errlog.h"
#include "core/files.h"
#include "refdata/import.h"
#include "core/settings.h"
#include "db/connection.h"
#include "refdata/resourcestore.h"
#include "refdata/tablesetup.h"
#include "tests/epaysim.h"
#include "tests/fixtures.h"
#include "tests/lookuptesting.h"
#include "tests/testsupport.h"
#include "tests/usersim.h"
#include <QElapsedTimer>
#include <QProcess>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTime>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

using namespace qel;
using namespace qel::test;

// What another user of the same machine could do: plant folders and links where the component
// writes, reach the private database server, read a password off the process list.
class TestLocalAttacks : public QObject {
    Q_OBJECT
    QTemporaryDir outside;   // where planted links point

    QString target() const
    {
        const QString t = outside.filePath(QStringLiteral("victim"));
        QFile f(t);
        f.open(QIODevice::WriteOnly | QIODevice::Truncate);
        f.write("KEEP");
        return t;
    }
    static QByteArray contents(const QString& path)
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
    }
    static bool asRoot() { return geteuid() == 0; }

private slots:
    void socketFolderMustBeTheUsersAlone()
    {
        QTemporaryDir base;
        QString error;
        QVERIFY2(PrivateServer::privateFolder(base.filePath(QStringLiteral("fresh")), &error), qPrintable(error));
        QCOMPARE(QFileInfo(base.filePath(QStringLiteral("fresh"))).permissions() & 0x0077, 0);
        QVERIFY(QDir().mkpath(base.filePath(QStringLiteral("open"))));
        QFile::setPermissions(base.filePath(QStringLiteral("open")), QFileDevice::Permissions(0x7777));
        QVERIFY(QFile::link(base.filePath(QStringLiteral("fresh")), base.filePath(QStringLiteral("link"))));
        QStringList refused{QStringLiteral("open"), QStringLiteral("link")};
        if (asRoot()) {   // a folder made first by someone else
            QVERIFY(QDir().mkpath(base.filePath(QStringLiteral("theirs"))));
            QCOMPARE(::chown(QFile::encodeName(base.filePath(QStringLiteral("theirs"))).constData(), 65534, 65534), 0);
            refused << QStringLiteral("theirs");
        }
        for (const QString& name : refused) {
            // The server is not started behind such a folder.
            PrivateServer s({base.filePath(QStringLiteral("data")), base.filePath(name), {}});
            QVERIFY2(!s.ensureRunning(&error), qPrintable(name));
            QVERIFY2(error.contains(base.filePath(name)), qPrintable(error));
            QVERIFY(!QFileInfo::exists(base.filePath(QStringLiteral("data/mysql"))));
        }
    }

    void onlyTheUserReachesTheServer()
    {
        const PrivateServer::Options& o = server().options();
        struct stat st {};
        QCOMPARE(::stat(QFile::encodeName(o.runDir).constData(), &st), 0);
        QCOMPARE(st.st_uid, geteuid());
        QCOMPARE(int(st.st_mode & 0777), 0700);
        // Another account name, by this user or anyone: the server asks the system who connects.
        Connection intruder;
        QVERIFY(!intruder.open(QStringLiteral("Socket=%1;Uid=qelrefdesk_intruder;").arg(o.socketPath())));
        if (!asRoot())
            QVERIFY(!intruder.open(QStringLiteral("Socket=%1;Uid=root;Pwd=;").arg(o.socketPath())));
        // Another user of the machine does not even reach the socket.
        if (asRoot() && QFileInfo::exists(QStringLiteral("/usr/bin/setpriv"))) {
            QProcess p;
            p.start(QStringLiteral("/usr/bin/setpriv"), {QStringLiteral("--reuid=65534"), QStringLiteral("--regid=65534"), QStringLiteral("--clear-groups"),
                                                         QStringLiteral("mariadb"), QStringLiteral("-S"), o.socketPath(), QStringLiteral("-u"),
                                                         QStringLiteral("root"), QStringLiteral("-e"), QStringLiteral("select 1")});
            QVERIFY(p.waitForFinished(20000));
            QVERIFY2(p.exitCode() != 0, p.readAllStandardOutput().constData());
        }
        // Statements that write files write into the load folder only.
        Connection own;
        QVERIFY(own.open(server().connectionString()));
        QVERIFY(!own.Execute(QStringLiteral("select 'x' into outfile '%1'").arg(outside.filePath(QStringLiteral("out")))));
        QCOMPARE(own.lastError().number, 1290);
        QVERIFY(!QFileInfo::exists(outside.filePath(QStringLiteral("out"))));
    }

    void serverOfAnEarlierVersionIsLockedDown()
    {
        // A data directory as an earlier version made it: root without a password.
        QTemporaryDir base;
        const QString data = base.filePath(QStringLiteral("data"));
        QProcess init;
        init.start(QStringLiteral("mariadb-install-db"), {QStringLiteral("--no-defaults"), QStringLiteral("--datadir=") + data,
                                                          QStringLiteral("--user=") + QString::fromLocal8Bit(qgetenv("USER").isEmpty() ? "root" : qgetenv("USER")),
                                                          QStringLiteral("--auth-root-authentication-method=normal"), QStringLiteral("--skip-test-db")});
        QVERIFY(init.waitForFinished(120000) && init.exitCode() == 0);
        PrivateServer s({data, base.filePath(QStringLiteral("run")), {}});
        QString error;
        QVERIFY2(s.ensureRunning(&error), qPrintable(error));
        Connection c;
        QVERIFY(c.open(s.connectionString()));
        QCOMPARE(scalar(c, QStringLiteral("Select count(*) from mysql.user Where User <> 'mariadb.sys' and plugin <> 'unix_socket'")),
                 QStringLiteral("0"));
        QCOMPARE(scalar(c, QStringLiteral("Select count(*) from mysql.user Where User = ''")), QStringLiteral("0"));
        QVERIFY(s.stop(&error));
    }

    void linksInTheDocumentFolderAreNotFollowed()
    {
        QTemporaryDir res, docs(docsRoot() + QStringLiteral("/docs-XXXXXX"));
        const Scoped resources(&ResourceStore::setOverrideDir, res.path());
        writeResource(res.path(), QStringLiteral("STD"), record({"FIXTURE STATE", "FIXTURE CITY", "123"}, 1));
        const QString victim = target();
        QVERIFY(QFile::link(victim, docs.filePath(QStringLiteral("STD1.dat"))));
        QVERIFY(QFile::link(victim, docs.filePath(QStringLiteral("host.log"))));
        auto db = freshDatabase(QStringLiteral("t_attack_links"));
        ClsMain cls;
        cls.InitMe(docs.path(), db.get(), QStringLiteral("host.log"), 1, 1, 1);
        QCOMPARE(setupReferenceTable(&cls.session(), QStringLiteral("frmstd"), "INITDATA", Tables::STD), QStringLiteral("TmpSTD_Master"));
        QCOMPARE(scalar(*db, QStringLiteral("Select City from TmpSTD_Master")), QStringLiteral("FIXTURE CITY"));
        ErrHandler(&cls.session(), QStringLiteral("frmstd"), "INITDATA").fail(1, QStringLiteral("logged"), QStringLiteral("test"));
        QCOMPARE(contents(victim), QByteArray("KEEP"));
        if (!tcpMode())   // a server that reads files from the document folder: the link went
            QVERIFY(!QFileInfo::exists(docs.filePath(QStringLiteral("STD1.dat"))));
    }

    void sharedFoldersGiveNothingAway()
    {
        // A FIFO planted as the log of a shared folder: the write is given up at once, not held
        // until someone reads it.
        QTemporaryDir shared(docsRoot() + QStringLiteral("/docs-XXXXXX"));
        QVERIFY(::chmod(QFile::encodeName(shared.path()).constData(), 0777) == 0);
        const QString fifo = shared.filePath(QStringLiteral("host.log"));
        QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0666), 0);
        QElapsedTimer t;
        t.start();
        QVERIFY(!appendToFile(fifo, "line\n"));
        QVERIFY(t.elapsed() < 1000);
        // The server is never told to read a file from there: another user could swap it first.
        QTemporaryDir res;
        const Scoped resources(&ResourceStore::setOverrideDir, res.path());
        writeResource(res.path(), QStringLiteral("STD"), record({"FIXTURE STATE", "FIXTURE CITY", "123"}, 1));
        auto db = freshDatabase(QStringLiteral("t_attack_shared"));
        QVERIFY(db->Execute(QStringLiteral("Create Table T (Sr Int, State Varchar(50), City Varchar(50), Code Varchar(10))")));
        ClsMain cls;
        cls.InitMe(shared.path(), db.get(), QStringLiteral("host.log"), 1, 1, 1);
        const ImportResult r = importResource(cls.session(), QStringLiteral("T"), 1, QStringLiteral("STD"));
        QVERIFY2(r.loaded, qPrintable(r.error.description));
        QVERIFY2(!r.file.startsWith(shared.path()), qPrintable(r.file));
        QCOMPARE(scalar(*db, QStringLiteral("Select City from T")), QStringLiteral("FIXTURE CITY"));
    }

    void captchaNeverGoesToAGuessableName()
    {
        EpaySim sim;
        QTemporaryDir sys;
        QVERIFY(writeSystemConfig(sys.path(), QStringLiteral("[Verify]\nBaseAddress=%1\nTimeoutSeconds=5\n").arg(sim.base())));
        qputenv("QELREFDESK_SYSTEM_DIR", sys.path().toUtf8());
        UserSettings::put(QStringLiteral("VoxWHR"), QStringLiteral("ProxySettings"), QStringLiteral("ProxyOpt"), QStringLiteral("0"));
        // Links at every name that "seconds since midnight" could give in the next moments.
        const QString victim = target();
        QStringList planted;
        const int now = QTime(0, 0).secsTo(QTime::currentTime());
        for (int s = now - 2; s <= now + 20; ++s) {
            const QString name = QDir::tempPath() + QStringLiteral("/%1.bmp").arg(s);
            if (QFile::link(victim, name))
                planted << name;
        }
        ClsMain cls;
        cls.InitMe(sys.path(), nullptr, QStringLiteral("err.log"), 1, 1, 1);
        Messages answers(cls.session(), true);
        ScriptedUser user;
        user.when([] { return verifierWaitsForCode(); }, [] { click(QStringLiteral("frmPANTAN_N"), "cmdcancel"); });
        QCOMPARE(cls.GetPanTanName(QStringLiteral("PAN:AAACA1234B")), QStringLiteral("Cancelled by User."));
        for (const QString& p : planted)
            QFile::remove(p);
        QCOMPARE(contents(victim), QByteArray("KEEP"));
        qunsetenv("QELREFDESK_SYSTEM_DIR");
    }

    void connectionFileMustBePrivate()
    {
        QTemporaryDir d;
        const QString path = d.filePath(QStringLiteral("office.conn"));
        QVERIFY(writeFile(path, "# the office server\n\nServer=db.office.example;Uid=clerk;Pwd=s3cret;\n"));
        QString conn, error;
        QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadOther);
        QVERIFY(!ConnectionOptions::readFile(path, &conn, &error));
        QVERIFY2(error.contains(QStringLiteral("chmod 600")), qPrintable(error));
        QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        QVERIFY2(ConnectionOptions::readFile(path, &conn, &error), qPrintable(error));
        QCOMPARE(ConnectionOptions::parse(conn).password, QStringLiteral("s3cret"));
    }
};

QEL_TEST(TestLocalAttacks);
#include "test_localattacks.moc"
