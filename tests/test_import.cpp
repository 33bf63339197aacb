#include "component/clsmain.h"
#include "db/recordset.h"
#include "refdata/import.h"
#include "refdata/resourcestore.h"
#include "refdata/tablesetup.h"
#include "tests/fixtures.h"
#include "tests/testsupport.h"
#include <QTemporaryDir>
#include <QtTest>

using namespace qel;

class TestImport : public QObject {
    Q_OBJECT
    QTemporaryDir resDir, docDir{test::docsRoot() + QStringLiteral("/docs-XXXXXX")};

    QStringList logLines() const
    {
        QFile f(docDir.filePath(QStringLiteral("host.log")));
        if (!f.open(QIODevice::ReadOnly))
            return {};
        QStringList l = QString::fromUtf8(f.readAll()).split(QStringLiteral("\r\n"));
        l.removeLast();
        return l;
    }

private slots:
    void initTestCase() { ResourceStore::setOverrideDir(resDir.path()); }
    void cleanupTestCase() { ResourceStore::setOverrideDir(QString()); }
    void init() { QFile::remove(docDir.filePath(QStringLiteral("host.log"))); }

    void statementFollowsTheFixedPieces()
    {
        QCOMPARE(loadStatement(QStringLiteral("C:\\Data\\MICR1.dat"), QStringLiteral("TmpMICR_Master")).display(),
                 QStringLiteral("load data infile 'C:/Data/MICR1.dat' into table TmpMICR_Master character set latin1 "
                                "fields terminated by ',' enclosed by '\\\"' escaped by '\\\\' lines terminated by '\u00A6';"));
    }

    void loadsExactlyTheRecordsOnBothCharsets_data()
    {
        QTest::addColumn<QString>("charset");
        QTest::newRow("latin1") << "latin1";
        QTest::newRow("utf8mb4") << "utf8mb4";
    }
    void loadsExactlyTheRecordsOnBothCharsets()
    {
        QFETCH(QString, charset);
        auto db = test::freshDatabase(QStringLiteral("t_import_") + charset, charset);
        // No-break space, en dash and a right quote in Windows-1252; a separator inside a quoted
        // field; a field ending in a backslash; NUL padding after the last record.
        QByteArray data = test::record({"FIXTURE\xA0" "CITY", "380", "002", "001", "FIXTURE BANK \x96 ONE", "BRANCH\x92S"}, 1) + '\xA6'
                          + test::record({"FIXTURE CITY", "380", "002", "002", "FIXTURE BANK", "A\xA6" "B"}, 2) + '\xA6'
                          + test::record({"FIXTURE CITY", "380", "002", "003", "FIXTURE BANK", "ENDS\\"}, 3) + '\xA6'
                          + test::record({"FIXTURE CITY", "380", "002", "004", "FIXTURE BANK", "LAST"}, 4) + '\xA6';
        data.append(3, '\0');
        test::writeResource(resDir.path(), QStringLiteral("MICR"), data);
        QCOMPARE(ResourceStore::recordCount(QStringLiteral("MICR")), 4);

        QVERIFY(db->Execute(QStringLiteral("Create Table If Not Exists TmpMICR_Master") + QString::fromLatin1(Tables::MICR.columns)));
        ClsMain c;
        c.InitMe(docDir.path(), db.get(), QStringLiteral("host.log"), 1, 1, 1);
        c.ImportResFlData(QStringLiteral("TmpMICR_Master"), 1, QStringLiteral("MICR"));
        QCOMPARE(logLines(), QStringList());
        QCOMPARE(test::scalar(*db, QStringLiteral("Select count(*) from TmpMICR_Master")), QStringLiteral("4"));
        QCOMPARE(test::scalar(*db, QStringLiteral("Select City from TmpMICR_Master where Sr=1")), QStringLiteral("FIXTURE\u00A0CITY"));
        QCOMPARE(test::scalar(*db, QStringLiteral("Select Bank from TmpMICR_Master where Sr=1")), QStringLiteral("FIXTURE BANK \u2013 ONE"));
        QCOMPARE(test::scalar(*db, QStringLiteral("Select Branch from TmpMICR_Master where Sr=1")), QStringLiteral("BRANCH\u2019S"));
        QCOMPARE(test::scalar(*db, QStringLiteral("Select Branch from TmpMICR_Master where Sr=2")), QStringLiteral("A\u00A6B"));
        QCOMPARE(test::scalar(*db, QStringLiteral("Select Branch from TmpMICR_Master where Sr=3")), QStringLiteral("ENDS\\"));
        QVERIFY(!QFile::exists(docDir.filePath(QStringLiteral("MICR1.dat"))));   // the temporary file is gone
    }

    void recordsBeginningWithALineBreakLoad()
    {
        auto db = test::freshDatabase(QStringLiteral("t_import_nodal"));
        QByteArray data;
        for (int i = 1; i <= 3; ++i)
            data += test::record({"FIXTURE BANK", "210181", "FIXTURE\nBRANCH", "210181", "FIXTURE NODAL"}, i) + "\xA6\r\n";
        test::writeResource(resDir.path(), QStringLiteral("BANKNODAL"), data);
        ClsMain c;
        c.InitMe(docDir.path(), db.get(), QStringLiteral("host.log"), 1, 1, 1);
        QCOMPARE(setupReferenceTable(&c.session(), QStringLiteral("frmNodalBank"), "INITDATA", Tables::BankNodal), QStringLiteral("TmpBSR_Master"));
        QCOMPARE(logLines(), QStringList());
        QCOMPARE(test::scalar(*db, QStringLiteral("Select group_concat(Sr) from TmpBSR_Master")), QStringLiteral("1,2,3"));
        QCOMPARE(test::scalar(*db, QStringLiteral("Select BankBr from TmpBSR_Master where Sr=2")), QStringLiteral("FIXTURE\nBRANCH"));
    }

    void staleTemporaryFileIsReplaced()
    {
        if (test::tcpMode())
            QSKIP("this server reads no file of the document folder: the data goes over the connection");
        auto db = test::freshDatabase(QStringLiteral("t_import_stale"));
        test::writeResource(resDir.path(), QStringLiteral("DIST"), test::record({"FIXTURE A", "FIXTURE B", "10"}, 1));
        test::writeResource(docDir.path(), QStringLiteral("DIST"), QByteArray(5000, 'x'));   // left by a failed run
        ClsMain c;
        c.InitMe(docDir.path() + u'/', db.get(), QStringLiteral("host.log"), 1, 1, 1);   // a trailing separator doubles it
        QCOMPARE(setupReferenceTable(&c.session(), QStringLiteral("frmDistance"), "INITDATA", Tables::Dist), QStringLiteral("TmpDist_Master"));
        QCOMPARE(test::scalar(*db, QStringLiteral("Select concat(count(*), ':', max(Distance)) from TmpDist_Master")), QStringLiteral("1:10"));
        QVERIFY(!QFile::exists(docDir.filePath(QStringLiteral("DIST1.dat"))));
    }

    void failuresAreLoggedAndTheStepsGoOn()
    {
        auto db = test::freshDatabase(QStringLiteral("t_import_fail"));
        test::writeResource(resDir.path(), QStringLiteral("ISD"), test::record({"FIXTURE", "FIXTURE", "1-2"}, 1));
        ClsMain c;
        c.InitMe(docDir.path(), db.get(), QStringLiteral("host.log"), 1, 1, 1);
        c.ImportResFlData(QStringLiteral("NoSuchTable"), 1, QStringLiteral("ISD"));   // the load fails
        c.ImportResFlData(QStringLiteral("NoSuchTable"), 1, QStringLiteral("NOSUCH"));  // no resource: an empty file, the load still fails
        const QStringList l = logLines();
        QVERIFY2(l.size() >= 3, qPrintable(l.join(u'\n')));
        for (const QString& line : l)
            QVERIFY(line.endsWith(QStringLiteral("\tCLSMAIN\tIMPORTRESFLDATA")));
        QVERIFY(l[0].contains(QStringLiteral("NoSuchTable")));
        QVERIFY(!QFile::exists(docDir.filePath(QStringLiteral("ISD1.dat"))));

        ClsMain unwritable;
        unwritable.InitMe(QStringLiteral("/nonexistent/docs"), db.get(), QStringLiteral("host.log"), 1, 1, 1);
        unwritable.ImportResFlData(QStringLiteral("NoSuchTable"), 1, QStringLiteral("ISD"));   // logged where it can't be: no crash
    }
};

QEL_TEST(TestImport);
#include "test_import.moc"
