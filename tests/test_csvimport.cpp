#include "component/clsmain.h"
#include "refdata/csvimport.h"
#include "refdata/resourcestore.h"
#include "refdata/tablesetup.h"
#include "tests/testsupport.h"
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

using namespace qel;

class TestCsvImport : public QObject {
    Q_OBJECT
private slots:
    void parsesQuotedFields()
    {
        const auto rows = CsvImport::parseCsv(QStringLiteral("a,\"b, c\",\"say \"\"hi\"\"\"\r\n\"two\nlines\",,x\n"));
        QCOMPARE(rows.size(), 2);
        QCOMPARE(rows[0], (QStringList{"a", "b, c", "say \"hi\""}));
        QCOMPARE(rows[1], (QStringList{"two\nlines", "", "x"}));
    }

    void convertsIntoTheResourceFormat()
    {
        const QByteArray csv = "BANK,IFSC,BRANCH,ADDR\n"
                               "FIXTURE BANK,FIXA0000001,\"MAIN \"\"A\"\"\",\"12, FIXTURE ROAD \xE2\x80\x93 WEST\\\\\"\n";
        const auto r = CsvImport::convert(QStringLiteral("IFSC"), csv,
                                          {{"Bank", "BANK"}, {"IFSC", "IFSC"}, {"Branch", "BRANCH"}, {"Address", "ADDR"}});
        QCOMPARE(r.errors, QStringList());
        QCOMPARE(r.records, 1);
        // Unmapped fields empty; quotes and backslashes doubled; the en dash in Windows-1252.
        QCOMPARE(r.resource, QByteArray("\"FIXTURE BANK\",\"FIXA0000001\",\"MAIN \"\"A\"\"\",\"\",\"\",\"\","
                                        "\"12, FIXTURE ROAD \x96 WEST\\\\\\\\\"\xA6"));
        QCOMPARE(ResourceStore::countRecords(ResourceStore::canonical(r.resource)), 1);
    }

    void micrFromOneColumnAndSerialNumbers()
    {
        const QByteArray csv = "CITY,BANK,BRANCH,MICR\nFIXTURE CITY,FIXTURE BANK,B1,380002001\nFIXTURE CITY,FIXTURE BANK,B2,400003004\n";
        const auto r = CsvImport::convert(QStringLiteral("MICR"), csv,
                                          {{"City", "CITY"}, {"Bank", "BANK"}, {"Branch", "BRANCH"}, {"MICR", "MICR"}});
        QCOMPARE(r.errors, QStringList());
        QVERIFY(r.resource.startsWith("1,\"FIXTURE CITY\",\"380\",\"002\",\"001\","));
        QVERIFY(r.resource.contains("\xA6" "2,\"FIXTURE CITY\",\"400\",\"003\",\"004\","));
    }

    void badLinesAreReportedAndLeftOut_data()
    {
        QTest::addColumn<QString>("type");
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<QString>("error");
        QTest::newRow("ifsc fifth not zero") << "IFSC" << QByteArray("FIXA1000001") << "line 3: IFSC 'FIXA1000001' is not 4 letters, a 0 and 6 letters or digits";
        QTest::newRow("ifsc short") << "IFSC" << QByteArray("FIX0000001") << "line 3: IFSC 'FIX0000001' is not 4 letters, a 0 and 6 letters or digits";
        QTest::newRow("bsr") << "BANKBSR" << QByteArray("12345") << "line 3: BSR '12345' is not 7 digits";
        QTest::newRow("pin") << "PIN" << QByteArray("74410A") << "line 3: PIN '74410A' is not 6 digits";
        QTest::newRow("micr") << "MICR" << QByteArray("38000200") << "line 3: MICR code '38000200' is not 9 digits";
    }
    void badLinesAreReportedAndLeftOut()
    {
        QFETCH(QString, type);
        QFETCH(QByteArray, line);
        QFETCH(QString, error);
        const QMap<QString, QString> maps{{"IFSC", "IFSC"}, {"BANKBSR", "BSR"}, {"PIN", "PIN"}, {"MICR", "MICR"}};
        const QByteArray good = type == u"IFSC" ? "FIXA0000001" : type == u"BANKBSR" ? "0000156" : type == u"PIN" ? "744101" : "380002001";
        const QByteArray csv = "CODE,NAME\n" + good + ",FIXTURE ONE\n" + line + ",FIXTURE TWO\n" + good + ",FIXTURE\n";
        const auto r = CsvImport::convert(type, csv, {{maps[type], "CODE"}});
        QCOMPARE(r.errors, QStringList{error});
        QCOMPARE(r.records, 2);
    }

    void mappingMistakesStopEverything()
    {
        auto r = CsvImport::convert(QStringLiteral("IFSC"), "A,B\n1,2\n", {{"IFSC", "NOPE"}});
        QCOMPARE(r.errors, QStringList{"the header line has no column NOPE"});
        r = CsvImport::convert(QStringLiteral("IFSC"), "A,B\n1,2\n", {{"Colour", "A"}});
        QVERIFY(r.errors.value(0).startsWith(QStringLiteral("IFSC has no field Colour")));
        r = CsvImport::convert(QStringLiteral("NOSUCH"), "A\n", {});
        QVERIFY(r.errors.value(0).startsWith(QStringLiteral("NOSUCH is not a resource")));
        r = CsvImport::convert(QStringLiteral("IFSC"), "A,B\n1\n", {{"Bank", "A"}});
        QCOMPARE(r.errors, QStringList{"line 2: has 1 fields where the header has 2"});
        r = CsvImport::convert(QStringLiteral("IFSC"), "A\n\xE4\xB8\xAD\n", {{"Bank", "A"}});   // not in Windows-1252
        QVERIFY(r.errors.value(0).contains(QStringLiteral("Windows-1252")));
    }

    void importToolSaysWhatWentWrongAndExitsByIt()
    {
        // 0 done, 1 the work failed, 2 usage or a connection that cannot be used; each said plainly.
        QTemporaryDir dir;
        const QString bad = dir.filePath(QStringLiteral("bad.csv"));
        QVERIFY(test::writeFile(bad, "S,C,A,P\nFIXTURE S,FIXTURE C\n"));
        const auto run = [](const QStringList& args, QString* out = nullptr) {
            QProcess tool;
            tool.start(QStringLiteral(QEL_IMPORT_TOOL), args);
            [&] { QVERIFY(tool.waitForFinished(60000)); }();
            if (out)
                *out = QString::fromLocal8Bit(tool.readAllStandardOutput() + tool.readAllStandardError());
            return tool.exitCode();
        };
        QString said;
        QCOMPARE(run({QStringLiteral("--type"), QStringLiteral("FOO"), QStringLiteral("--fields")}, &said), 2);
        QVERIFY2(said.contains(QStringLiteral("FOO is not")) && said.contains(QStringLiteral("IFSC ISD MICR")), qPrintable(said));
        QCOMPARE(run({QStringLiteral("--type"), QStringLiteral("std"), QStringLiteral("--fields")}, &said), 0);
        QVERIFY2(said.startsWith(QStringLiteral("Sr State City STDCode\n")), qPrintable(said));
        QCOMPARE(run({QStringLiteral("--version")}, &said), 0);
        QVERIFY2(said.contains(QStringLiteral("QELRefDesk 1.")) && said.contains(QStringLiteral("MICR")) && said.contains(QStringLiteral("as of")),
                 qPrintable(said));
        QCOMPARE(run({QStringLiteral("--help")}, &said), 0);
        QVERIFY(said.contains(QStringLiteral("Exit codes")));
        QCOMPARE(run({QStringLiteral("--type"), QStringLiteral("PIN"), QStringLiteral("--dir"), dir.path(), bad}, &said), 1);
        QVERIFY2(said.contains(QStringLiteral("line 2")), qPrintable(said));
        QCOMPARE(run({QStringLiteral("--type"), QStringLiteral("PIN"), dir.filePath(QStringLiteral("missing.csv"))}), 2);
        QCOMPARE(run({QStringLiteral("--prepare"), QStringLiteral("--connection"), QStringLiteral("Sever=db.example;Database=x;")}, &said), 2);
        QVERIFY2(said.contains(QStringLiteral("\"Sever\"")), qPrintable(said));
        QCOMPARE(run({QStringLiteral("--prepare"), QStringLiteral("--connection"), QStringLiteral("Server=127.0.0.1;Port=1;Uid=u;")}, &said), 2);
        QVERIFY2(said.contains(QStringLiteral("Database=")) && said.count(u'\n') <= 2, qPrintable(said));
        QCOMPARE(run({QStringLiteral("--prepare"), QStringLiteral("--connection-file"), dir.filePath(QStringLiteral("none.conn"))}), 2);
        QCOMPARE(run({QStringLiteral("--prepare"), QStringLiteral("--connection"), QStringLiteral("Server=127.0.0.1;Port=1;Database=x;Uid=u;")}, &said), 1);
        QVERIFY2(said.contains(QStringLiteral("Could not open the database")), qPrintable(said));
        // A real preparation: a line per data set to a pipe, then the table of every set.
        test::freshDatabase(QStringLiteral("t_tool_prepare"));
        QCOMPARE(run({QStringLiteral("--prepare"), QStringLiteral("--connection"), test::connectionString(QStringLiteral("t_tool_prepare"))}, &said), 0);
        QVERIFY2(said.contains(QStringLiteral("TmpMICR_Master")) && said.contains(QStringLiteral("rows loaded"))
                     && said.contains(QStringLiteral("not installed (no open source; install a list with --type TINFC)"))
                     && !said.contains(u'#'),
                 qPrintable(said));
    }

    void installedResourceReloadsTheTable()
    {
        QTemporaryDir resDir, docDir{test::docsRoot() + QStringLiteral("/docs-XXXXXX")};
        const test::Scoped resources(&ResourceStore::setOverrideDir, resDir.path());
        auto db = test::freshDatabase(QStringLiteral("t_csvimport"));
        ClsMain cls;
        cls.InitMe(docDir.path(), db.get(), QStringLiteral("host.log"), 1, 1, 1);
        const auto first = CsvImport::convert(QStringLiteral("PIN"), "S,C,A,P\nFIXTURE S,FIXTURE C,FIXTURE A,744101\n",
                                              {{"State", "S"}, {"City", "C"}, {"Area", "A"}, {"PIN", "P"}});
        QString err;
        QVERIFY(CsvImport::install(QStringLiteral("PIN"), first.resource, &err));
        setupReferenceTable(&cls.session(), QStringLiteral("frmpin"), "INITDATA", Tables::PIN);
        QCOMPARE(test::scalar(*db, QStringLiteral("Select count(*) from TmpPIN_Master")), QStringLiteral("1"));
        const auto second = CsvImport::convert(QStringLiteral("PIN"),
                                               "S,C,A,P\nFIXTURE S,FIXTURE C,FIXTURE A,744101\nFIXTURE S,FIXTURE C,FIXTURE B,744102\n",
                                               {{"State", "S"}, {"City", "C"}, {"Area", "A"}, {"PIN", "P"}});
        QVERIFY(CsvImport::install(QStringLiteral("PIN"), second.resource, &err));
        setupReferenceTable(&cls.session(), QStringLiteral("frmpin"), "INITDATA", Tables::PIN);
        QCOMPARE(test::scalar(*db, QStringLiteral("Select group_concat(PinCode order by Sr) from TmpPIN_Master")),
                 QStringLiteral("744101,744102"));
    }
};

QEL_TEST(TestCsvImport);
#include "test_csvimport.moc"
