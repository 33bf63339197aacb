#include "refdata/resourcestore.h"
#include "tests/fixtures.h"
#include "tests/testsupport.h"
#include <QTemporaryDir>
#include <QtTest>

using namespace qel;

class TestResourceFormat : public QObject {
    Q_OBJECT
private slots:
    void countsRecordsAsTheLoaderReadsThem_data()
    {
        QTest::addColumn<QByteArray>("raw");
        QTest::addColumn<int>("records");
        QTest::newRow("empty") << QByteArray() << 0;
        QTest::newRow("no final separator") << QByteArray("1,\"A\"\xA6" "2,\"B\"") << 2;
        QTest::newRow("final separator") << QByteArray("1,\"A\"\xA6" "2,\"B\"\xA6") << 2;
        QTest::newRow("nul padding") << QByteArray("1,\"A\"\xA6" "2,\"B\"\xA6\0\0\0", 15) << 2;
        QTest::newRow("crlf after every separator") << QByteArray("1,\"A\"\xA6\r\n2,\"B\"\xA6\r\n") << 2;
        QTest::newRow("separator inside quotes") << QByteArray("1,\"A\xA6X\"\xA6" "2,\"B\"") << 2;
        QTest::newRow("escaped separator") << QByteArray("1,\"A\\\xA6X\"\xA6" "2,\"B\"") << 2;
        QTest::newRow("line break in field") << QByteArray("1,\"A\r\nB\"\xA6" "2,\"B\"") << 2;
        QTest::newRow("backslash ending a field") << QByteArray("1,\"A\\\"\xA6" "2,\"B\"\xA6" "3,\"C\"") << 3;
        QTest::newRow("escaped backslash ending a field") << QByteArray("1,\"A\\\\\"\xA6" "2,\"B\"") << 2;
        QTest::newRow("doubled quote") << QByteArray("1,\"say \"\"hi\"\"\"\xA6" "2,\"B\"") << 2;
    }
    void countsRecordsAsTheLoaderReadsThem()
    {
        QFETCH(QByteArray, raw);
        QFETCH(int, records);
        QCOMPARE(ResourceStore::countRecords(ResourceStore::canonical(raw)), records);
    }

    void canonicalFormOnlyTouchesWhatTheLoaderWouldMisread()
    {
        const QByteArray clean = test::micrFixture(50);
        QCOMPARE(ResourceStore::canonical(clean), clean);
        QCOMPARE(ResourceStore::canonical(QByteArray("1,\"A\\\"\xA6" "2,\"B\\\\\"\0", 16)),
                 QByteArray("1,\"A\\\\\"\xA6" "2,\"B\\\\\""));
        QCOMPARE(ResourceStore::canonical(QByteArray("1,\"A\\N\",\"x\"")), QByteArray("1,\"A\\N\",\"x\""));
    }

    void overrideDirectoryWinsAndCountFollowsIt()
    {
        QTemporaryDir dir;
        const test::Scoped resources(&ResourceStore::setOverrideDir, dir.path());
        QCOMPARE(ResourceStore::recordCount(QStringLiteral("TINFC")), 0);   // the embedded resource, shipped empty
        test::writeResource(dir.path(), QStringLiteral("TINFC"), test::micrFixture(3));
        QCOMPARE(ResourceStore::recordCount(QStringLiteral("TINFC")), 3);
        QTest::qWait(1100);   // a new modification time
        test::writeResource(dir.path(), QStringLiteral("TINFC"), test::micrFixture(5));
        QCOMPARE(ResourceStore::recordCount(QStringLiteral("TINFC")), 5);
        QCOMPARE(ResourceStore::recordCount(QStringLiteral("NOSUCH")), -1);
    }

    void everyEmbeddedResourceIsPresent()
    {
        const test::Scoped resources(&ResourceStore::setOverrideDir, QStringLiteral("/nonexistent"));
        for (const char* t : {"MICR", "IFSC", "BANKBSR", "BANKNODAL", "DIST", "ISD", "STD", "PIN", "PANAO", "TANAO", "SVT_LOC",
                              "SVT_RNG", "SVT_COM", "SVT_DIV", "TINFC"})
            QVERIFY2(ResourceStore::recordCount(QString::fromLatin1(t)) >= 0, t);
    }
};

QEL_TEST(TestResourceFormat);
#include "test_resourceformat.moc"
