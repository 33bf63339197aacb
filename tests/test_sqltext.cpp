#include "component/clsmain.h"
#include "db/recordset.h"
#include "lookups/frmmicr.h"
#include "refdata/resourcestore.h"
#include "tests/fixtures.h"
#include "tests/lookuptesting.h"
#include "tests/testsupport.h"
#include <QTemporaryDir>
#include <QtTest>

using namespace qel;

// Values typed by a user go into statements between single quotes. Whatever they hold, and
// whatever character set the connection speaks (the host's choice, or a SET NAMES it ran), a
// condition built from one matches only rows whose column equals it (or matches it as a like
// pattern): never more rows.
class TestSqlText : public QObject {
    Q_OBJECT
    std::unique_ptr<Connection> db;
    QTemporaryDir resDir, docDir{test::docsRoot() + QStringLiteral("/docs-XXXXXX")};

    // Breaking out of the quotes: the classics, and multi-byte characters whose last byte is a
    // backslash in gbk, sjis and big5 (a server reading UTF-8 bytes in those character sets sees
    // such a character swallow the escaping backslash).
    static QStringList corpus()
    {
        QStringList c{QStringLiteral("' or '1'='1"), QStringLiteral("x\\' or 1=1 -- "), QStringLiteral("\\\\' or 1=1 #"),
                      QStringLiteral("AHMEDABAD'-- "), QStringLiteral("' union select City from T where '1'='1"),
                      QString::fromUtf8("MUMBAI\0' or 1=1 -- ", 20), QStringLiteral("'; drop table T; --")};
        for (const char* wide : {"\u0FFF", "\u4E57", "\u4FD3", "\u4E88", "\u5154", "\u4E48", "\uFF3C", "\u00A5"})
            for (const char* tail : {"\\' or 1=1 #", "' or 1=1 #", "\\\\' or 1=1 -- "})
                c << QString::fromUtf8(wide) + QString::fromUtf8(tail);
        return c;
    }

    static void setNames(Connection& c, const QString& charset)
    {
        QVERIFY(c.Execute(Sql("SET NAMES ") + Sql(charset)));
        QCOMPARE(QString::fromLatin1(c.characterSet()), charset);
    }

    static int rows(Connection& c, const Sql& sql)
    {
        Recordset rs;
        if (!rs.open(sql, &c)) {
            // Only a value that the character set cannot hold may be refused (it is never sent).
            [&] { QCOMPARE(rs.lastError().number, 1366); }();
            return 0;
        }
        return rs.recordCount();
    }

private slots:
    void initTestCase()
    {
        db = test::freshDatabase(QStringLiteral("t_sqltext"));
        QVERIFY(db->Execute(QStringLiteral("Create Table T (City Varchar(100))")));
        QVERIFY(db->Execute(QString::fromUtf8("Insert into T values ('AHMEDABAD'), ('O''NEIL'), ('MUMBAI'), ('BACK\\\\SLASH'), "
                                              "('x\\\\'), ('50%'), ('\u4E2D\u6587')")));
        ResourceStore::setOverrideDir(resDir.path());
        test::writeResource(resDir.path(), QStringLiteral("MICR"), test::micrFixture(40));
    }
    void cleanupTestCase() { ResourceStore::setOverrideDir(QString()); }

    void valuesAreQuotedAsTheStandardReadsThem()
    {
        QCOMPARE(Sql("a='").value(QStringLiteral("O'N\\")).code("'").display(), QStringLiteral("a='O''N\\\\'"));
        QCOMPARE(Sql("a like '").like(QStringLiteral("O'N\\%")).code("'").display(), QStringLiteral("a like 'O''N\\\\\\\\%'"));
    }

    void equalityAndLikeMatchOnlyTheValue_data()
    {
        QTest::addColumn<QString>("charset");
        for (const char* cs : {"utf8mb4", "latin1", "gbk", "sjis", "big5"})
            QTest::newRow(cs) << cs;
    }
    void equalityAndLikeMatchOnlyTheValue()
    {
        QFETCH(QString, charset);
        Connection c;
        QVERIFY(c.open(test::connectionString(QStringLiteral("t_sqltext"))));
        setNames(c, charset);
        const auto equal = [&](const QString& v) { return rows(c, Sql("Select * from T Where City='").value(v).code("'")); };
        const auto like = [&](const QString& v) { return rows(c, Sql("Select * from T Where City like '%").like(v).code("%'")); };
        for (const QString& v : corpus()) {
            QVERIFY2(equal(v) == 0, qPrintable(v));
            QVERIFY2(like(v) == 0, qPrintable(v));
        }
        QCOMPARE(equal(QStringLiteral("O'NEIL")), 1);
        QCOMPARE(equal(QStringLiteral("BACK\\SLASH")), 1);
        QCOMPARE(equal(QStringLiteral("x\\")), 1);
        QCOMPARE(like(QStringLiteral("\\")), 2);   // the two values holding a backslash
        QCOMPARE(rows(c, Sql("Select * from T Where City like '").like(QStringLiteral("_UMBA_")).code("'")), 1);
        if (charset != u"latin1")   // a character that the connection can write is found as it is
            QCOMPARE(equal(QString::fromUtf8("\u4E2D\u6587")), 1);
        QCOMPARE(test::scalar(*db, QStringLiteral("Select count(*) from T")), QStringLiteral("7"));
    }

    // Every kind of search input of the lookup dialogs: a list's text in the search and in the
    // next list's fill, and the advanced search value under each criterion.
    void everySearchInputOnEveryCharset()
    {
        for (const char* cs : {"utf8mb4", "latin1", "gbk", "sjis"}) {
            auto conn = test::freshDatabase(QStringLiteral("t_sqltext_dialog"));
            setNames(*conn, QString::fromLatin1(cs));
            ClsMain cls;
            test::Messages answers(cls.session());
            cls.InitMe(docDir.path(), conn.get(), QStringLiteral("host.log"), 1, 1, 1);
            frmmicr d;
            d.InitData(&cls.session());
            d.LoadData(QString(), QString());
            for (const QString& v : corpus()) {
                test::choose(&d, "Combo1", v);
                d.LoadCombo(1);
                QCOMPARE(test::child<QComboBox>(&d, "Combo2")->count(), 0);
                d.Command1_Click();
                QVERIFY2(test::column(&d, 1).isEmpty(), cs);
                test::choose(&d, "Combo1", QString());
                test::child<QComboBox>(&d, "Combo4")->setCurrentIndex(0);
                test::child<QLineEdit>(&d, "Text1")->setText(v);
                for (int how = 0; how < 3; ++how) {
                    test::child<QComboBox>(&d, "Combo5")->setCurrentIndex(how);
                    d.Command2_Click();
                    QVERIFY2(test::column(&d, 1).isEmpty(), cs);
                }
            }
            QCOMPARE(test::scalar(*conn, QStringLiteral("Select count(*) from TmpMICR_Master")), QStringLiteral("40"));
        }
    }
};

QEL_TEST(TestSqlText);
#include "test_sqltext.moc"
