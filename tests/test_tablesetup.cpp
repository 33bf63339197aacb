#include "component/clsmain.h"
#include "core/msgservice.h"
#include "refdata/resourcestore.h"
#include "refdata/tablesetup.h"
#include "tests/fixtures.h"
#include "tests/testsupport.h"
#include <QTemporaryDir>
#include <QtTest>

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
        QStringList notices;
        BusyNotice::setObserver([&](const QString& text) { notices << text; });
        QCOMPARE(setupReferenceTable(&cls.session(), QStringLiteral("frmmicr"), "LOADDATA", Tables::MICR), QStringLiteral("TmpMICR_Master"));
        QCOMPARE(count(QStringLiteral("TmpMICR_Master")), QStringLiteral("120"));
        // Indexed for its lists, which then fill without reading every row.
        QCOMPARE(test::scalar(*db, QStringLiteral("Select group_concat(Column_name order by Seq_in_index) from information_schema.statistics "
                                                  "where table_schema = database() and table_name = 'TmpMICR_Master' and index_name = 'qel_lists'")),
                 QStringLiteral("City,Bank"));
        QCOMPARE(notices.size(), 1);
        QVERIFY(notices[0].startsWith(QStringLiteral("Preparing the MICR data for its first use")));
        setupReferenceTable(&cls.session(), QStringLiteral("frmmicr"), "LOADDATA", Tables::MICR);
        BusyNotice::setObserver({});
        QCOMPARE(notices.size(), 1);
    }

    void rightCountIsUsedUnchanged()
    {
        QVERIFY(db->Execute(QStringLiteral("Update TmpMICR_Master set Branch='FIXTURE MARK' where Sr=1")));
        setupReferenceTable(&cls.session(), QStringLiteral("frmmicr"), "LOADDATA", Tables::MICR);
        QCOMPARE(test::scalar(*db, QStringLiteral("Select Branch from TmpMICR_Master where Sr=1")), QStringLiteral("FIXTURE MARK"));
    }

    void oneRowTooManyReloads()
    {
        QVERIFY(db->Execute(QStringLiteral("Insert into TmpMICR_Master (Sr, City) values (999, 'FIXTURE EXTRA')")));
        setupReferenceTable(&cls.session(), QStringLiteral("frmmicr"), "LOADDATA", Tables::MICR);
        QCOMPARE(count(QStringLiteral("TmpMICR_Master")), QStringLiteral("120"));
        QCOMPARE(test::scalar(*db, QStringLiteral("Select Branch from TmpMICR_Master where Sr=1")), QStringLiteral("FIXTURE BRANCH 1"));
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
        ResourceStore::setOverrideDir(QStringLiteral("/nonexistent"));   // the embedded, empty resources
        QCOMPARE(setupReferenceTable(&cls.session(), QStringLiteral("frmtinfc"), "INITDATA", Tables::TINFC), QStringLiteral("TmpTINFCs_Master"));
        QCOMPARE(count(QStringLiteral("TmpTINFCs_Master")), QStringLiteral("0"));
        ResourceStore::setOverrideDir(resDir.path());
    }
};

QEL_TEST(TestTableSetup);
#include "test_tablesetup.moc"
