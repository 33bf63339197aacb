#include "db/recordset.h"
#include "db/sqltext.h"
#include "tests/testsupport.h"
#include <QtTest>

using namespace qel;

// Values typed by a user go into statements between single quotes. Whatever they hold, a
// condition built from one must match only rows whose column equals it (or matches it as a
// like pattern): never more rows, never a syntax error that could be turned into one.
class TestSqlText : public QObject {
    Q_OBJECT
    std::unique_ptr<Connection> db;

private slots:
    void initTestCase()
    {
        db = test::freshDatabase(QStringLiteral("t_sqltext"));
        QVERIFY(db->Execute(QStringLiteral("Create Table T (City Varchar(100))")));
        QVERIFY(db->Execute(QStringLiteral("Insert into T values ('AHMEDABAD'), ('O''NEIL'), ('MUMBAI'), ('BACK\\\\SLASH'), ('x\\\\'), ('50%')")));
    }

    void doublesQuotesAndBackslashes()
    {
        QCOMPARE(sqlText(QStringLiteral("O'NEIL")), QStringLiteral("O''NEIL"));
        QCOMPARE(sqlText(QStringLiteral("a\\b")), QStringLiteral("a\\\\b"));
        QCOMPARE(sqlText(QStringLiteral("%_")), QStringLiteral("%_"));
        QCOMPARE(sqlLikeText(QStringLiteral("O'N\\%")), QStringLiteral("O''N\\\\\\\\%"));
    }

    void equalityMatchesExactlyTheValue_data()
    {
        QTest::addColumn<QString>("value");
        QTest::addColumn<int>("rows");
        QTest::newRow("quote in name") << "O'NEIL" << 1;
        QTest::newRow("classic") << "' or '1'='1" << 0;
        QTest::newRow("backslash quote") << "x\\' or 1=1 -- " << 0;
        QTest::newRow("backslash at end") << "x\\" << 1;
        QTest::newRow("backslash inside") << "BACK\\SLASH" << 1;
        QTest::newRow("two backslashes then quote") << "\\\\' or 1=1 #" << 0;
        QTest::newRow("comment") << "AHMEDABAD'-- " << 0;
        QTest::newRow("union") << "' union select City from T where '1'='1" << 0;
        QTest::newRow("nul byte") << QString::fromUtf8("MUMBAI\0' or 1=1 -- ", 20) << 0;
        QTest::newRow("unicode quote") << QString::fromUtf8("MUMBAI\u2019 or 1=1 -- ") << 0;
        QTest::newRow("semicolon") << "'; drop table T; --" << 0;
    }
    void equalityMatchesExactlyTheValue()
    {
        QFETCH(QString, value);
        QFETCH(int, rows);
        Recordset rs;
        QVERIFY2(rs.open(QStringLiteral("Select * from T Where City='") + sqlText(value) + u'\'', db.get()),
                 qPrintable(rs.lastError().description));
        QCOMPARE(rs.recordCount(), rows);
        QCOMPARE(test::scalar(*db, QStringLiteral("Select count(*) from T")), QStringLiteral("6"));
    }

    void likePatternsKeepWildcards()
    {
        for (const QString& v : {QStringLiteral("x\\' or 1=1 -- "), QStringLiteral("\\"), QStringLiteral("'%")}) {
            Recordset rs;
            QVERIFY(rs.open(QStringLiteral("Select * from T Where City like '%") + sqlLikeText(v) + QStringLiteral("%'"), db.get()));
            QVERIFY(rs.recordCount() <= 2);
        }
        Recordset rs;
        QVERIFY(rs.open(QStringLiteral("Select * from T Where City like '%") + sqlLikeText(QStringLiteral("\\")) + QStringLiteral("%'"), db.get()));
        QCOMPARE(rs.recordCount(), 2);   // the two values holding a backslash
        QVERIFY(rs.open(QStringLiteral("Select * from T Where City like '") + sqlLikeText(QStringLiteral("_UMBA_")) + u'\'', db.get()));
        QCOMPARE(rs.recordCount(), 1);
    }
};

QEL_TEST(TestSqlText);
#include "test_sqltext.moc"
