#include "component/clsmain.h"
#include "tests/fakedialog.h"
#include "tests/testsupport.h"
#include <QtTest>

using namespace qel;
using test::FakeDialog;

class TestClsMain : public QObject {
    Q_OBJECT
    std::unique_ptr<Connection> db;

private slots:
    void initTestCase() { db = test::freshDatabase(QStringLiteral("t_clsmain")); }

    void membersAreReachableByName()
    {
        ClsMain c;
        test::TestDesktop desk(c.session());   // its lookup windows are fakes
        FakeDialog::useEverywhere(desk);
        short v = 0;
        QVERIFY(QMetaObject::invokeMethod(&c, "MyDllVer", Q_RETURN_ARG(short, v)));
        QCOMPARE(v, short(1));
        QVERIFY(QMetaObject::invokeMethod(&c, "InitMe", Q_ARG(QString, "/tmp/docs"), Q_ARG(QObject*, db.get()),
                                          Q_ARG(QString, "host.log"), Q_ARG(float, 1.25f), Q_ARG(float, 1.5f), Q_ARG(float, 0.8f)));
        QCOMPARE(c.property("DocPath").toString(), QStringLiteral("/tmp/docs"));
        QCOMPARE(c.property("Db").value<QObject*>(), db.get());
        QCOMPARE(c.property("LogFlNm").toString(), QStringLiteral("host.log"));
        QCOMPARE(c.property("ScreenRatY").toFloat(), 1.5f);
        QVERIFY(c.setProperty("Proc_Name", "frmmicr\tLOADGRID"));
        QCOMPARE(c.Proc_Name(), QStringLiteral("frmmicr\tLOADGRID"));
        QSet<QByteArray> names;
        for (int i = 0; i < c.metaObject()->methodCount(); ++i)
            names << c.metaObject()->method(i).name();
        for (const char* m : {"DoErrorLogEntry", "OutArr", "ObjMain", "GetPANTANAOCode", "GetMICR", "GetRanges", "GetBSRCode",
                              "GetIFSCCode", "GetPanTanName", "ImportResFlData", "SetProxyForWHR", "GetProxyForWHR",
                              "Resize_For_Resolution"})
            QVERIFY2(names.contains(m), m);
    }

    void initMeKeepsDbWhenNotAConnection()
    {
        ClsMain c;
        test::TestDesktop desk(c.session());   // its lookup windows are fakes
        FakeDialog::useEverywhere(desk);
        c.InitMe(QStringLiteral("/a"), db.get(), QStringLiteral("l"), 1, 1, 1);
        QObject notADb;
        c.setMdiObj(&notADb);
        c.InitMe(QStringLiteral("/b"), &notADb, QStringLiteral("l"), 1, 1, 1);
        QCOMPARE(c.Db(), db.get());
        QCOMPARE(c.MdiObj(), nullptr);   // InitMe always clears the host's frame object
    }

    void lookupsThatNeedDbDoNothingBeforeInitMe()
    {
        ClsMain c;
        test::TestDesktop desk(c.session());   // its lookup windows are fakes
        FakeDialog::useEverywhere(desk);
        StrArray arr(0, 4);
        arr.set(0, QStringLiteral("kept"));
        c.GetMICR(&arr, QStringLiteral("BANK"), QStringLiteral("CITY"));
        c.GetPANTANAOCode(true, &arr, QStringLiteral("CITY"));
        QCOMPARE(arr.at(0), QStringLiteral("kept"));
        QVERIFY(FakeDialog::calls.isEmpty());

        c.GetBSRCode(&arr, QString());   // does not need Db: opens and empties slots 0..2
        QCOMPARE(FakeDialog::calls, (QStringList{"InitData", "LoadData[ ]", "shown"}));
        QCOMPARE(arr.at(0), QString());
    }

    void argumentsArriveWithASpaceAppended()
    {
        ClsMain c;
        test::TestDesktop desk(c.session());   // its lookup windows are fakes
        FakeDialog::useEverywhere(desk);
        c.InitMe(QString(), db.get(), QString(), 1, 1, 1);
        StrArray arr(0, 4);
        c.GetMICR(&arr, QString(), QString());
        c.GetRanges(&arr, QString(), QStringLiteral("PUNE"), QStringLiteral("AUNDH"));
        c.GetIFSCCode(&arr, QStringLiteral("PUNE"), QString());
        c.GetPANTANAOCode(false, &arr, QStringLiteral("PUNE"));
        QCOMPARE(FakeDialog::calls.filter(QStringLiteral("LoadData")),
                 (QStringList{"LoadData[ | ]", "LoadData[ |PUNE|AUNDH]", "LoadData[PUNE | ]", "LoadData[0|PUNE ]"}));
    }

    void slotsAreCopiedIntoTheHostsBounds_data()
    {
        QTest::addColumn<int>("lower");
        QTest::addColumn<int>("upper");
        QTest::addColumn<QStringList>("expected");   // index lower..upper after GetMICR
        QTest::newRow("0 to 4") << 0 << 4 << QStringList{"B0", "B1", "B2", "B3", "B4"};
        QTest::newRow("0 to 2 drops 3 and 4") << 0 << 2 << QStringList{"B0", "B1", "B2"};
        QTest::newRow("1 to 5 drops 0") << 1 << 5 << QStringList{"B1", "B2", "B3", "B4", "old"};
        QTest::newRow("0 to 9 keeps the rest") << 0 << 9 << QStringList{"B0", "B1", "B2", "B3", "B4", "old", "old", "old", "old", "old"};
    }
    void slotsAreCopiedIntoTheHostsBounds()
    {
        QFETCH(int, lower);
        QFETCH(int, upper);
        QFETCH(QStringList, expected);
        ClsMain c;
        test::TestDesktop desk(c.session());   // its lookup windows are fakes
        FakeDialog::useEverywhere(desk);
        c.InitMe(QString(), db.get(), QString(), 1, 1, 1);
        StrArray arr(lower, upper);
        for (int i = lower; i <= upper; ++i)
            arr.set(i, QStringLiteral("old"));
        FakeDialog::toWrite = {{0, "B0"}, {1, "B1"}, {2, "B2"}, {3, "B3"}, {4, "B4"}, {5, "out of bounds"}, {-1, "negative"}};
        c.GetMICR(&arr, QStringLiteral("BANK"));
        QStringList got;
        for (int i = lower; i <= upper; ++i)
            got << arr.at(i);
        QCOMPARE(got, expected);
    }

    void eachCallStartsWithEmptySlots()
    {
        ClsMain c;
        test::TestDesktop desk(c.session());   // its lookup windows are fakes
        FakeDialog::useEverywhere(desk);
        c.InitMe(QString(), db.get(), QString(), 1, 1, 1);
        StrArray arr(0, 4);
        FakeDialog::toWrite = {{0, "first"}, {4, "first"}};
        c.GetMICR(&arr, QStringLiteral("B"));
        FakeDialog::toWrite.clear();   // closed without a pick
        c.GetMICR(&arr, QStringLiteral("B"));
        for (int i = 0; i <= 4; ++i)
            QCOMPARE(arr.at(i), QString());
    }

    void oddHostArraysAreSilentlySkipped()
    {
        ClsMain c;
        test::TestDesktop desk(c.session());   // its lookup windows are fakes
        FakeDialog::useEverywhere(desk);
        c.InitMe(QString(), db.get(), QString(), 1, 1, 1);
        FakeDialog::toWrite = {{0, "IFSC0"}};
        StrArray missing;
        c.GetIFSCCode(&missing, QString(), QString());
        QVERIFY(!missing.exists());
        StrArray twoDims(0, 4);
        twoDims.setDimensions(2);
        c.GetIFSCCode(&twoDims, QString(), QString());
        twoDims.setDimensions(1);
        QCOMPARE(twoDims.at(0), QString());
        c.GetIFSCCode(nullptr, QString(), QString());

        // OutArr before any lookup, and outside the bounds, is ignored.
        ClsMain fresh;
        fresh.OutArr(0, QStringLiteral("x"));
        QVERIFY(fresh.resultSlots().isEmpty());
    }

    void unknownDialogLeavesEmptyStrings()
    {
        ClsMain c;
        test::TestDesktop desk(c.session());
        desk.windows = [](WindowFamily, int) { return std::make_unique<QDialog>(); };   // no lookup window
        c.InitMe(QString(), db.get(), QString(), 1, 1, 1);
        StrArray arr(0, 4);
        arr.set(2, QStringLiteral("old"));
        c.GetMICR(&arr, QStringLiteral("B"));
        QCOMPARE(arr.at(2), QString());
    }
};

QEL_TEST(TestClsMain);
#include "test_clsmain.moc"
