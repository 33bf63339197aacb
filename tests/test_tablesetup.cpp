#include "component/clsmain.h"
#include "core/msgservice.h"
#include "refdata/resourcestore.h"
#include "refdata/tablesetup.h"
#include "tests/fixtures.h"
#include "tests/testdesktop.h"
#include "tests/testsupport.h"
#include "db/recordset.h"
#include <QTemporaryDir>
#include <QtTest>
#include <thread>

using namespace qel;

class TestTableSetup : public QObject {
    Q_OBJECT
    QTemporaryDir resDir, docDir{test::docsRoot() + QStringLiteral("/docs-XXXXXX")};
    std::unique_ptr<Connection> db;
    ClsMain cls;

    QString count(const QString& table) { return test::scalar(*db, QStringLiteral("Select count(*) from ") + table); }

private slots:
    void initTestCase()
    {
        ResourceStore::setOverrideDir(resDir.path());
        test::writeResource(resDir.path(), QStringLiteral("MICR"), test::micrFixture(120));
        test::writeResource(resDir.path(), QStringLiteral("PANAO"), test::record({"FIXTURE CITY", "FIXTURE WARD", "D", "AAA", "W", "1", "2"}) + '\xA6');
        test::writeResource(resDir.path(), QStringLiteral("TANAO"), test::record({"FIXTURE CITY", "FIXTURE WARD", "D", "AAA", "1", "W", "2"}) + '\xA6'
                                                                   + test::record({"FIXTURE CITY", "FIXTURE WARD 2", "D", "AAB", "1", "W", "3"}));
        db = test::freshDatabase(QStringLiteral("t_tablesetup"));
        cls.InitMe(docDir.path(), db.get(), QStringLiteral("host.log"), 1, 1, 1);
    }
    void cleanupTestCase() { ResourceStore::setOverrideDir(QString()); }

    void firstOpeningCreatesAndLoads()
    {
        // The user sees what the wait is for, on the first opening only.
        test::TestDesktop desk(cls.session());
        const QStringList& notices = desk.notices;
        QCOMPARE(setupReferenceTable(&cls.session(), QStringLiteral("frmmicr"), "LOADDATA", Tables::MICR), QStringLiteral("TmpMICR_Master"));
        QCOMPARE(count(QStringLiteral("TmpMICR_Master")), QStringLiteral("120"));
        // Indexed for its lists, which then fill without reading every row, and for its codes.
        const auto indexed = [this](const char* index) {
            return test::scalar(*db, QStringLiteral("Select group_concat(Column_name order by Seq_in_index) from information_schema.statistics "
                                                    "where table_schema = database() and table_name = 'TmpMICR_Master' and index_name = '%1'")
                                         .arg(QLatin1String(index)));
        };
        QCOMPARE(indexed("qel_lists"), QStringLiteral("City,Bank"));
        QCOMPARE(indexed("qel_code"), QStringLiteral("CityCode,BankCode,BranchCode"));
        // A primary key that "Select *" does not show; no staging table left behind.
        QCOMPARE(test::scalar(*db, QStringLiteral("Select group_concat(column_name) from information_schema.key_column_usage where "
                                                  "table_schema = database() and table_name = 'TmpMICR_Master' and constraint_name = 'PRIMARY'")),
                 QStringLiteral("qel_row"));
        Recordset rs;
        QVERIFY(rs.open(QStringLiteral("Select * from TmpMICR_Master"), db.get()));
        QCOMPARE(rs.fieldCount(), 7);
        QCOMPARE(test::scalar(*db, QStringLiteral("Select count(*) from information_schema.tables where table_schema = database() "
                                                  "and table_name like 'TmpMICR\\_Master\\_%'")),
                 QStringLiteral("0"));
        QCOMPARE(notices.size(), 1);
        QVERIFY(notices[0].startsWith(QStringLiteral("Preparing the MICR data for its first use")));
        setupReferenceTable(&cls.session(), QStringLiteral("frmmicr"), "LOADDATA", Tables::MICR);
        QCOMPARE(notices.size(), 1);
    }

    void rightCountIsUsedUnchanged()
    {
        QVERIFY(db->Execute(QStringLiteral("Update TmpMICR_Master set Branch='FIXTURE MARK' where Sr=1")));
        // Each opening costs its round trips to the server (on a remote one, each is felt): the
        // table created if missing, flushed where the account may, counted; no more.
        const auto statements = [this] {
            return test::scalar(*db, QStringLiteral("Select variable_value from information_schema.session_status where variable_name = 'QUESTIONS'"))
                .toInt();
        };
        setupReferenceTable(&cls.session(), QStringLiteral("frmmicr"), "LOADDATA", Tables::MICR);
        const int before = statements();
        setupReferenceTable(&cls.session(), QStringLiteral("frmmicr"), "LOADDATA", Tables::MICR);
        const int asked = statements() - before - 1;   // the second count of them aside
        QVERIFY2(asked <= 3, qPrintable(QStringLiteral("%1 statements").arg(asked)));
        QCOMPARE(test::scalar(*db, QStringLiteral("Select Branch from TmpMICR_Master where Sr=1")), QStringLiteral("FIXTURE MARK"));
    }

    void oneRowTooManyOrNoKeyReloads()
    {
        QVERIFY(db->Execute(QStringLiteral("Insert into TmpMICR_Master (Sr, City) values (999, 'FIXTURE EXTRA')")));
        setupReferenceTable(&cls.session(), QStringLiteral("frmmicr"), "LOADDATA", Tables::MICR);
        QCOMPARE(count(QStringLiteral("TmpMICR_Master")), QStringLiteral("120"));
        QCOMPARE(test::scalar(*db, QStringLiteral("Select Branch from TmpMICR_Master where Sr=1")), QStringLiteral("FIXTURE BRANCH 1"));
        // A table an older version made, without the key, is replaced even with the right count.
        QVERIFY(db->Execute(QStringLiteral("Alter Table TmpMICR_Master Drop Column qel_row")));
        QVERIFY(db->Execute(QStringLiteral("Update TmpMICR_Master set Branch='FIXTURE MARK' where Sr=1")));
        setupReferenceTable(&cls.session(), QStringLiteral("frmmicr"), "LOADDATA", Tables::MICR);
        QCOMPARE(test::scalar(*db, QStringLiteral("Select concat(count(qel_row), min(Branch)) from TmpMICR_Master where Sr=1")),
                 QStringLiteral("1FIXTURE BRANCH 1"));
    }

    void aLoadWaitsForTheHostThatHoldsIt()
    {
        // Another host (another connection, perhaps to another server of a cluster) holds the load
        // of the table, and gives it up after a moment: this one waits, then loads.
        auto other = std::make_unique<Connection>();
        QVERIFY(other->open(test::connectionString(QStringLiteral("t_tablesetup"))));
        QVERIFY(db->Execute(QStringLiteral("Insert into TmpMICR_Master (Sr, City) values (999, 'FIXTURE EXTRA')")));
        QVERIFY(other->Execute(QStringLiteral("Insert into QelRefDesk_Loads (TableName, Owner) values ('TmpMICR_Master', 'FIXTURE HOST')")));
        std::thread holder([&] {
            QThread::msleep(600);
            other->Execute(QStringLiteral("Delete from QelRefDesk_Loads"));
        });
        QElapsedTimer waited;
        waited.start();
        setupReferenceTable(&cls.session(), QStringLiteral("frmmicr"), "LOADDATA", Tables::MICR);
        holder.join();
        QVERIFY2(waited.elapsed() >= 550, qPrintable(QString::number(waited.elapsed())));
        QCOMPARE(count(QStringLiteral("TmpMICR_Master")), QStringLiteral("120"));
        // The lock row of a host whose connection to this server has ended (it died during its
        // load), or of one that died long ago anywhere, is taken over at once.
        for (const char* held : {"concat(@@hostname, ':', @@port, '/', connection_id()), now()", "'', now() - interval 1 hour"}) {
            QVERIFY(db->Execute(QStringLiteral("Insert into TmpMICR_Master (Sr, City) values (999, 'FIXTURE EXTRA')")));
            auto dead = std::make_unique<Connection>();
            QVERIFY(dead->open(test::connectionString(QStringLiteral("t_tablesetup"))));
            QVERIFY(dead->Execute(QStringLiteral("Insert into QelRefDesk_Loads (TableName, Owner, Holder, Since) values "
                                                 "('TmpMICR_Master', 'FIXTURE HOST', %1)").arg(QString::fromLatin1(held))));
            dead.reset();
            waited.restart();
            setupReferenceTable(&cls.session(), QStringLiteral("frmmicr"), "LOADDATA", Tables::MICR);
            QVERIFY2(waited.elapsed() < 550, held);
            QCOMPARE(count(QStringLiteral("TmpMICR_Master")), QStringLiteral("120"));
        }
        QCOMPARE(count(QStringLiteral("QelRefDesk_Loads")), QStringLiteral("0"));
    }

    void damagedTableFallsBackToTheNameWithOne()
    {
        // A table that exists but cannot be read: here, a view over a table that is gone.
        QVERIFY(db->Execute(QStringLiteral("Drop Table TmpMICR_Master")));
        QVERIFY(db->Execute(QStringLiteral("Create Table Gone (x int)")));
        QVERIFY(db->Execute(QStringLiteral("Create View TmpMICR_Master as select * from Gone")));
        QVERIFY(db->Execute(QStringLiteral("Drop Table Gone")));
        QFile::remove(docDir.filePath(QStringLiteral("host.log")));
        QCOMPARE(setupReferenceTable(&cls.session(), QStringLiteral("frmmicr"), "LOADDATA", Tables::MICR), QStringLiteral("TmpMICR_Master1"));
        QCOMPARE(count(QStringLiteral("TmpMICR_Master1")), QStringLiteral("120"));
        QFile log(docDir.filePath(QStringLiteral("host.log")));
        QVERIFY(log.open(QIODevice::ReadOnly));
        QVERIFY(log.readAll().contains("\tfrmmicr\tLOADDATA\r\n"));
    }

    void noTableAtAllGivesAnEmptyName()
    {
        ClsMain noDb;
        noDb.InitMe(docDir.path(), nullptr, QStringLiteral("host.log"), 1, 1, 1);
        QCOMPARE(setupReferenceTable(&noDb.session(), QStringLiteral("frmmicr"), "LOADDATA", Tables::MICR), QString());
    }

    void panAndTanTablesLiveSideBySide()
    {
        QCOMPARE(setupReferenceTable(&cls.session(), QStringLiteral("frmpantanao"), "LOADDATA", Tables::panTan(true)), QStringLiteral("TmpPANAO_Master"));
        QCOMPARE(setupReferenceTable(&cls.session(), QStringLiteral("frmpantanao"), "LOADDATA", Tables::panTan(false)), QStringLiteral("TmpTANAO_Master"));
        QCOMPARE(count(QStringLiteral("TmpPANAO_Master")), QStringLiteral("1"));
        QCOMPARE(count(QStringLiteral("TmpTANAO_Master")), QStringLiteral("2"));
        // TAN data hold the range code before the AO type; it lands in AOType.
        QCOMPARE(test::scalar(*db, QStringLiteral("Select AOType from TmpTANAO_Master limit 1")), QStringLiteral("1"));
    }

    void emptyResourceGivesAnEmptyTable()
    {
        const test::Scoped resources(&ResourceStore::setOverrideDir, QStringLiteral("/nonexistent"), resDir.path());   // the embedded, empty resources
        QCOMPARE(setupReferenceTable(&cls.session(), QStringLiteral("frmtinfc"), "INITDATA", Tables::TINFC), QStringLiteral("TmpTINFCs_Master"));
        QCOMPARE(count(QStringLiteral("TmpTINFCs_Master")), QStringLiteral("0"));
    }
};

QEL_TEST(TestTableSetup);
#include "test_tablesetup.moc"
