#include "component/clsmain.h"
#include "lookups/find/frmfind.h"
#include "lookups/frmmicr.h"
#include <QLabel>
#include <QScrollBar>
#include "mainwin/frmmain.h"
#include "refdata/resourcestore.h"
#include "core/settings.h"
#include "tests/epaysim.h"
#include "tests/fixtures.h"
#include "tests/usersim.h"
#include "tests/lookuptesting.h"
#include "tests/testsupport.h"
#include <QTemporaryDir>

using namespace qel;

// Pictures of the windows for the documentation, made offscreen: from the data that ships where
// there is any, else from fixture data. A tool, not a test: scripts/screenshots runs it with
// QELREFDESK_SCREENSHOT_DIR naming the folder to write to.
class TestScreenshots : public QObject {
    Q_OBJECT
    QString outDir;
    QTemporaryDir resDir, docDir{test::docsRoot() + QStringLiteral("/docs-XXXXXX")};
    std::unique_ptr<Connection> db;
    ClsMain cls;

private slots:
    void initTestCase()
    {
        outDir = QString::fromLocal8Bit(qgetenv("QELREFDESK_SCREENSHOT_DIR"));
        if (outDir.isEmpty())
            QSKIP("set QELREFDESK_SCREENSHOT_DIR to write the documentation's screenshots");
        ResourceStore::setOverrideDir(resDir.path());
        db = test::freshDatabase(QStringLiteral("t_screenshots"));
        cls.InitMe(docDir.path(), db.get(), QStringLiteral("host.log"), 1, 1, 1);
    }
    void cleanupTestCase() { ResourceStore::setOverrideDir(QString()); }

    void micrAndIfscWithShippedData()
    {
        ResourceStore::setOverrideDir(QStringLiteral("/nonexistent"));   // the data that ships
        test::Messages answers(cls.session());
        frmmicr d;
        d.InitData(&cls.session());
        d.LoadData(QStringLiteral(" "), QStringLiteral("MUMBAI "));
        d.show();
        test::child<FlexGrid>(&d, "vsf")->setRow(3);
        QApplication::processEvents();
        QVERIFY(d.grab().save(outDir + QStringLiteral("/micr-dialog.png")));
        std::unique_ptr<LookupDialog> ifsc = test::lookupDialog("frmIFSC");
        ifsc->InitData(&cls.session());
        ifsc->LoadData(QString(), QString());
        test::choose(ifsc.get(), "Combo1", QStringLiteral("MAHARASHTRA"));
        test::choose(ifsc.get(), "Combo2", QStringLiteral("PUNE"));
        ifsc->Command1_Click();
        ifsc->show();
        test::child<FlexGrid>(ifsc.get(), "vsf")->setRow(1);
        QApplication::processEvents();
        QVERIFY(ifsc->grab().save(outDir + QStringLiteral("/ifsc-dialog.png")));
        ResourceStore::setOverrideDir(resDir.path());
    }

    void serviceTaxDialog()
    {
        QByteArray loc, rng, div, com;
        const auto office = [](const QByteArray& code, const QByteArray& nm) {
            return test::record({code, nm, "FIXTURE ROAD", "FIXTURE DISTRICT", "", "", "", "", "", ""}) + '\xA6';
        };
        for (int i = 1; i <= 60; ++i)
            loc += test::record({"FIXTURE STATE", "FIXTURE CITY " + QByteArray::number(i % 4), "FIXTURE AREA " + QByteArray::number(i % 7),
                                 QByteArray::number(744100 + i), "FIXTURE LOCALITY " + QByteArray::number(i),
                                 QByteArray::number(700100 + i % 5)}, i) + '\xA6';
        for (int i = 0; i < 5; ++i)
            rng += office(QByteArray::number(700100 + i), "FIXTURE RANGE " + QByteArray::number(i));
        div = office("7001", "FIXTURE DIVISION");
        com = office("70", "FIXTURE COMMISSIONERATE");
        test::writeResource(resDir.path(), QStringLiteral("SVT_LOC"), loc);
        test::writeResource(resDir.path(), QStringLiteral("SVT_RNG"), rng);
        test::writeResource(resDir.path(), QStringLiteral("SVT_DIV"), div);
        test::writeResource(resDir.path(), QStringLiteral("SVT_COM"), com);
        std::unique_ptr<LookupDialog> d = test::lookupDialog("frmSVTRange");
        d->InitData(&cls.session());
        d->LoadData(QStringLiteral("FIXTURE STATE "), QString(), QString());
        d->show();
        test::child<FlexGrid>(d.get(), "vsf")->horizontalScrollBar()->setValue(400);
        QApplication::processEvents();
        QVERIFY(d->grab().save(outDir + QStringLiteral("/service-tax-dialog.png")));
    }

    void tinFacilitationDialog()
    {
        QByteArray data;
        for (int i = 1; i <= 8; ++i)
            data += test::record({"FIXTURE STATE", "FIXTURE CITY", "FC" + QByteArray::number(i), "FIXTURE FACILITATOR " + QByteArray::number(i),
                                  "FIXTURE PERSON", "FIXTURE BUILDING, A RATHER LONG FIXTURE STREET NAME, FIXTURE LOCALITY, FIXTURE CITY",
                                  "011 - 1234567, 011 - 7654321", "9876543210", "one@fixture.invalid, two@fixture.invalid"}) + '\xA6';
        test::writeResource(resDir.path(), QStringLiteral("TINFC"), data);
        test::Messages m(cls.session());
        std::unique_ptr<LookupDialog> d = test::lookupDialog("frmtinfc");
        d->InitData(&cls.session());
        d->show();
        QApplication::processEvents();
        d->Command1_Click();
        QApplication::processEvents();
        QVERIFY(d->grab().save(outDir + QStringLiteral("/tin-fc-dialog.png")));
    }

    void distanceDialogWithShippedData()
    {
        ResourceStore::setOverrideDir(QStringLiteral("/nonexistent"));   // the straight-line distances that ship
        std::unique_ptr<LookupDialog> d = test::lookupDialog("frmDistance");
        d->InitData(&cls.session());
        d->show();
        for (const auto& [from, to] : {std::pair{"Mumbai", "Delhi"}, std::pair{"Kolkata", "Chennai"}, std::pair{"Pune", "Nagpur"}}) {
            test::choose(d.get(), "Combo1", QString::fromLatin1(from));
            test::choose(d.get(), "Combo2", QString::fromLatin1(to));
            d->Command1_Click();
        }
        QApplication::processEvents();
        QVERIFY(test::child<QLabel>(d.get(), "lblData")->text().contains(QStringLiteral("Straight-line")));
        QVERIFY(d->grab().save(outDir + QStringLiteral("/distance-dialog.png")));
        ResourceStore::setOverrideDir(resDir.path());
    }

    void verificationDialogAtTheCaptcha()
    {
        // Against the local stand-in of the payment service, as the verification tests use it.
        test::EpaySim sim;
        QTemporaryDir sys;
        QVERIFY(test::writeSystemConfig(sys.path(), QStringLiteral("[Verify]\nBaseAddress=%1\n").arg(sim.base())));
        const QByteArray oldSys = qgetenv("QELREFDESK_SYSTEM_DIR");
        qputenv("QELREFDESK_SYSTEM_DIR", sys.path().toUtf8());
        UserSettings::put(QStringLiteral("VoxWHR"), QStringLiteral("ProxySettings"), QStringLiteral("ProxyOpt"), QStringLiteral("0"));
        test::Messages answers(cls.session());
        test::ScriptedUser user;
        bool saved = false;
        user.when(test::verifierWaitsForCode,
                  [&] {
                      QWidget* d = test::shownWindow(QStringLiteral("frmPANTAN_N"));
                      d->findChild<QLineEdit*>(QStringLiteral("txtcode"))->setText(QStringLiteral("K7Q"));
                      saved = d->grab().save(outDir + QStringLiteral("/verification-dialog.png"));
                      test::click(QStringLiteral("frmPANTAN_N"), "cmdcancel");
                  });
        QCOMPARE(cls.GetPanTanName(QStringLiteral("PAN:ABCDE1234F")), QStringLiteral("Cancelled by User."));
        QVERIFY(saved);
        qputenv("QELREFDESK_SYSTEM_DIR", oldSys);
    }

    void findWindowWithShippedData()
    {
        const test::Scoped shipped(ResourceStore::setOverrideDir, QStringLiteral("/nonexistent"), resDir.path());
        test::Messages answers(cls.session());
        frmFind w;
        w.InitData(&cls.session());
        w.show();
        w.setText(QStringLiteral("hdfc andheri"));
        test::pressKey(&w, Qt::Key_Down);
        QApplication::processEvents();
        QVERIFY(w.grab().save(outDir + QStringLiteral("/find-window.png")));
    }

    void mainWindow()
    {
        frmmain w;
        w.InitData(&cls.session());
        w.show();
        QApplication::processEvents();
        QVERIFY(w.grab().save(outDir + QStringLiteral("/main-window.png")));
    }
};

QEL_TEST(TestScreenshots);
#include "screenshots.moc"
