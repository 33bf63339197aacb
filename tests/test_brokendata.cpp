#include "component/clsmain.h"
#include "db/recordset.h"
#include "lookups/frmmicr.h"
#include "refdata/csvimport.h"
#include "refdata/resourcestore.h"
#include "refdata/tablesetup.h"
#include "tests/fixtures.h"
#include "tests/lookuptesting.h"
#include "tests/testsupport.h"
#include <QProcess>
#include <QStringDecoder>
#include <QTemporaryDir>

using namespace qel;
using namespace qel::test;

// Data, folders and servers that are not what they should be: the component says so plainly and
// loses nothing it could keep.
class TestBrokenData : public QObject {
    Q_OBJECT
    QTemporaryDir res, docs{docsRoot() + QStringLiteral("/docs-XXXXXX")};

    static QByteArray pin(int sr, const QByteArray& state, const QByteArray& city, const QByteArray& area)
    {
        return record({state, city, area, QByteArray::number(110000 + sr)}, sr) + '\xA6';
    }
    // A MICR dialog opened by the host over fixture rows, in a fresh database.
    std::unique_ptr<Connection> openMicr(frmmicr& d, ClsMain& cls, const QString& database, const QString& charset = QStringLiteral("utf8mb4"))
    {
        writeResource(res.path(), QStringLiteral("MICR"), micrFixture(30));
        auto db = freshDatabase(database, charset);
        cls.InitMe(docs.path(), db.get(), QStringLiteral("host.log"), 1, 1, 1);
        d.InitData(&cls.session());
        d.LoadData(QString(), QString());
        return db;
    }

private slots:
    void initTestCase() { ResourceStore::setOverrideDir(res.path()); }
    void cleanupTestCase() { ResourceStore::setOverrideDir(QString()); }

    void recordsTheServerWouldRefuseAreNamedByLine()
    {
        const QByteArray csv = "STATE,CITY,AREA,PIN\nFIXTURE STATE,FIXTURE CITY,FIXTURE AREA,110001\nFIXTURE STATE,FIXTURE CITY,"
                               + QByteArray(150, 'A') + ",110002\n";
        const auto r = CsvImport::convert(QStringLiteral("PIN"), csv,
                                          {{"State", "STATE"}, {"City", "CITY"}, {"Area", "AREA"}, {"PIN", "PIN"}});
        QCOMPARE(r.records, 1);
        QCOMPARE(r.errors, QStringList{QStringLiteral("line 3: Area has 150 characters where its column holds 100")});
    }

    void shippedResourcesFitTheirTables()
    {
        const Scoped resources(&ResourceStore::setOverrideDir, QStringLiteral("/nonexistent"), res.path());
        QStringDecoder cp1252("windows-1252");
        for (const QString& type : {"MICR", "IFSC", "BANKBSR", "BANKNODAL", "DIST", "ISD", "STD", "PIN", "PANAO", "TANAO", "SVT_LOC",
                                    "SVT_RNG", "SVT_COM", "SVT_DIV", "TINFC"}) {
            QStringList problems;
            int n = 0;
            ResourceStore::forEachRecord(ResourceStore::bytes(type, 1), [&](const QList<QByteArray>& fields) {
                QStringList values;
                for (const QByteArray& f : fields)
                    values << cp1252.decode(f);
                if (const QString p = Tables::checkRecord(*Tables::forResource(type), values); !p.isEmpty())
                    problems << QStringLiteral("%1 record %2: %3").arg(type).arg(n + 1).arg(p);
                return ++n, problems.size() < 5;
            });
            QVERIFY2(problems.isEmpty(), qPrintable(problems.join(u'\n')));
            QCOMPARE(n, ResourceStore::recordCount(type));
        }
    }

    void failedLoadIsToldOnceAndLosesNothing()
    {
        auto db = freshDatabase(QStringLiteral("t_broken_told"));
        ClsMain cls;
        cls.InitMe(docs.path(), db.get(), QStringLiteral("host.log"), 1, 1, 1);
        writeResource(res.path(), QStringLiteral("PIN"), pin(1, "FIXTURE STATE", "FIXTURE CITY", "AREA"));
        setupReferenceTable(&cls.session(), QStringLiteral("frmpin"), "INITDATA", Tables::PIN);
        writeResource(res.path(), QStringLiteral("PIN"), pin(1, "FIXTURE STATE", "FIXTURE CITY", "AREA") + pin(2, "FIXTURE STATE", "FIXTURE CITY", QByteArray(150, 'A')));
        Messages seen(cls.session());
        for (int i = 0; i < 2; ++i)   // two openings of the dialog
            setupReferenceTable(&cls.session(), QStringLiteral("frmpin"), "INITDATA", Tables::PIN);
        QCOMPARE(seen.seen.size(), 1);
        // "Data too long for column 'Area'" from a file the server reads; "Data truncated for
        // column 'Area'" for data sent over the connection.
        QVERIFY2(seen.seen[0].contains(QStringLiteral("PIN")) && seen.seen[0].contains(QStringLiteral("column 'Area'")), qPrintable(seen.seen[0]));
        // The rows in use before stay in use.
        QCOMPARE(scalar(*db, QStringLiteral("Select group_concat(Area) from TmpPIN_Master")), QStringLiteral("AREA"));
    }

    void documentFoldersOfAnyName()
    {
        writeResource(res.path(), QStringLiteral("STD"), record({"FIXTURE STATE", "FIXTURE CITY", "123"}, 1) + '\xA6');
        for (const QString& name : {QStringLiteral("caf\u00e9"), QString::fromUtf8("\u0926\u0938\u094d\u0924\u093e\u0935\u0947\u091c\u093c"),
                                    QString::fromUtf8("\u6587\u6863"), QStringLiteral("back\\slash")}) {
            const QString dir = docs.filePath(name);
            QVERIFY(QDir().mkpath(dir));
            auto db = freshDatabase(QStringLiteral("t_broken_folder"));
            ClsMain cls;
            cls.InitMe(dir, db.get(), QStringLiteral("host.log"), 1, 1, 1);
            QCOMPARE(setupReferenceTable(&cls.session(), QStringLiteral("frmstd"), "INITDATA", Tables::STD), QStringLiteral("TmpSTD_Master"));
            QCOMPARE(scalar(*db, QStringLiteral("Select count(*) from TmpSTD_Master")), QStringLiteral("1"));
            QVERIFY(QDir(dir).isEmpty());
        }
    }

    void serverTakingNoDataOverTheConnectionIsExplained()
    {
        if (!tcpMode())
            QSKIP("the private server reads the component's files itself");
        Connection admin;
        QVERIFY(admin.open(tcpServer().connectionString()));
        QVERIFY(admin.Execute(QStringLiteral("Set Global local_infile = 0")));
        writeResource(res.path(), QStringLiteral("STD"), record({"FIXTURE STATE", "FIXTURE CITY", "123"}, 1) + '\xA6');
        auto db = freshDatabase(QStringLiteral("t_broken_nolocal"));
        ClsMain cls;
        cls.InitMe(docs.path(), db.get(), QStringLiteral("host.log"), 1, 1, 1);
        Messages seen(cls.session());
        setupReferenceTable(&cls.session(), QStringLiteral("frmstd"), "INITDATA", Tables::STD);
        admin.Execute(QStringLiteral("Set Global local_infile = 1"));
        QCOMPARE(seen.seen.size(), 1);
        QVERIFY2(seen.seen[0].contains(QStringLiteral("local_infile")), qPrintable(seen.seen[0]));
    }

    void twoHostsImportingAtOnceLoadOneCopy()
    {
        QByteArray data;
        for (int i = 1; i <= 20000; ++i)
            data += pin(i, "FIXTURE STATE", "FIXTURE CITY " + QByteArray::number(i % 50), "FIXTURE AREA");
        writeResource(res.path(), QStringLiteral("PIN"), data);
        for (int round = 0; round < 3; ++round) {
            auto db = freshDatabase(QStringLiteral("t_broken_race"));
            QList<QProcess*> hosts;
            for (int h = 0; h < 2; ++h) {
                hosts << new QProcess(this);
                hosts.last()->start(QCoreApplication::applicationFilePath(),
                                    {QStringLiteral("--setup-table"), QStringLiteral("t_broken_race"), QStringLiteral("PIN"), res.path(), docs.path()});
            }
            for (QProcess* p : hosts) {
                QVERIFY(p->waitForFinished(60000));
                QCOMPARE(p->exitCode(), 0);
                delete p;
            }
            QCOMPARE(scalar(*db, QStringLiteral("Select count(*) from TmpPIN_Master")), QStringLiteral("20000"));
        }
    }

    void serverThatDiesWhileStartingIsReportedAtOnce()
    {
        QTemporaryDir base;
        QVERIFY(QDir().mkpath(base.filePath(QStringLiteral("data/mysql"))));   // looks initialised
        PrivateServer s({base.filePath(QStringLiteral("data")), base.filePath(QStringLiteral("run")), base.filePath(QStringLiteral("missing"))});
        QElapsedTimer t;
        t.start();
        QString error;
        QVERIFY(!s.ensureRunning(&error));
        QVERIFY2(t.elapsed() < 20000, qPrintable(QString::number(t.elapsed())));
        QVERIFY2(error.contains(QStringLiteral("stopped while starting")) && error.contains(QStringLiteral("secure")), qPrintable(error));
    }

    void lostConnectionIsRestoredOnceThenTold()
    {
        ClsMain cls;
        frmmicr d;
        auto db = openMicr(d, cls, QStringLiteral("t_broken_lost"));
        Connection admin;
        QVERIFY(admin.open((tcpMode() ? tcpServer() : server()).connectionString()));
        const auto kill = [&] { QVERIFY(admin.Execute(QStringLiteral("Kill ") + scalar(*db, QStringLiteral("Select connection_id()")))); };
        // Out of reach: the socket moved away, or the office server turning the account away.
        const QString socket = server().options().socketPath();
        const auto reachable = [&](bool yes) {
            if (tcpMode())
                admin.Execute(QStringLiteral("Alter User 'qeltest'@'127.0.0.1' Account ") + QLatin1String(yes ? "Unlock" : "Lock"));
            else
                QFile::rename(yes ? socket + QStringLiteral(".away") : socket, yes ? socket : socket + QStringLiteral(".away"));
        };
        Messages seen(cls.session());
        kill();
        choose(&d, "Combo1", QStringLiteral("FIXTURE CITY 1"));
        d.Command1_Click();
        QVERIFY(!column(&d, 3).isEmpty());
        QCOMPARE(seen.seen, QStringList());
        // The server out of reach: the user hears of it.
        kill();
        reachable(false);
        d.Command1_Click();
        reachable(true);
        QCOMPARE(seen.seen.size(), 1);
        QVERIFY2(seen.seen[0].contains(QStringLiteral("lost and could not be restored")), qPrintable(seen.seen[0]));
        QVERIFY(column(&d, 3).isEmpty());
    }

    void rowsStreamingWhenAnotherStatementRunsOrTheConnectionGoes()
    {
        auto db = freshDatabase(QStringLiteral("t_broken_stream"));
        // Another statement on the connection mid-stream: the rest of the rows are kept for the
        // recordset, which reads on as before.
        Recordset rs;
        QVERIFY(rs.open(Sql("Select seq from seq_1_to_50000"), db.get(), Recordset::Text, Recordset::Streamed));
        QCOMPARE(rs.recordCount(), -1);
        int read = 0;
        for (; !rs.eof(); rs.moveNext()) {
            QCOMPARE(rs.value(0).toInt(), ++read);
            if (read == 10)
                QCOMPARE(scalar(*db, QStringLiteral("Select 6 * 7")), QStringLiteral("42"));
        }
        QCOMPARE(read, 50000);
        QVERIFY(!rs.readFailed());
        // The connection killed mid-stream: the rows end early, and the recordset says why.
        Connection admin;
        QVERIFY(admin.open((tcpMode() ? tcpServer() : server()).connectionString()));
        QVERIFY(rs.open(Sql("Select seq from seq_1_to_5000000"), db.get(), Recordset::Text, Recordset::Streamed));
        QVERIFY(admin.Execute(QStringLiteral("Kill ") + scalar(admin, QStringLiteral("Select max(id) from information_schema.processlist "
                                                                                       "where info like 'Select seq from seq_1_to_5000000%'"))));
        for (read = 0; !rs.eof(); rs.moveNext())
            ++read;
        QVERIFY2(read < 5000000, qPrintable(QString::number(read)));
        QVERIFY(rs.readFailed());
        QVERIFY2(dberr::isLost(rs.lastError().number), qPrintable(rs.lastError().description));
    }

    void typedTextIsNeverReadForPlaceholders()
    {
        writeResource(res.path(), QStringLiteral("PIN"), pin(1, "X", "X", "WRONG ROW") + pin(2, "FIXTURE STATE", "FIXTURE CITY", "AREA"));
        auto db = freshDatabase(QStringLiteral("t_broken_placeholder"));
        ClsMain cls;
        cls.InitMe(docs.path(), db.get(), QStringLiteral("host.log"), 1, 1, 1);
        std::unique_ptr<LookupDialog> w = lookupDialog("frmpin");
        LookupDialog* d = w.get();
        d->InitData(&cls.session());
        choose(d, "Combo1", QStringLiteral("%2"));
        choose(d, "Combo2", QStringLiteral("X"));
        d->LoadCombo(2);
        QCOMPARE(child<QComboBox>(d, "Combo3")->count(), 0);   // not StateN='X' and City='X'
    }

    void textALatin1DatabaseCannotHoldFindsNothing()
    {
        // No row can hold such a text: the answer is an empty list, without a message or a log line.
        ClsMain cls;
        frmmicr d;
        auto db = openMicr(d, cls, QStringLiteral("t_broken_latin1"), QStringLiteral("latin1"));
        QFile::remove(docs.filePath(QStringLiteral("host.log")));
        Messages seen(cls.session());
        choose(&d, "Combo1", QString::fromUtf8("\u0926\u0938\u094d\u0924\u093e\u0935\u0947\u091c\u093c"));
        d.Command1_Click();
        QCOMPARE(seen.seen, QStringList());
        QCOMPARE(child<FlexGrid>(&d, "vsf")->rows(), 1);
        QVERIFY(!QFile::exists(docs.filePath(QStringLiteral("host.log"))));
    }
};

QEL_TEST(TestBrokenData);
#include "test_brokendata.moc"
