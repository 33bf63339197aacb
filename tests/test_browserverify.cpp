#include "component/clsmain.h"
#include "core/settings.h"
#include "tests/epaysim.h"
#include "tests/lookuptesting.h"
#include "tests/testdesktop.h"
#include "tests/testsupport.h"
#include "tests/usersim.h"
#include "verify/pantancommon.h"
#include <QFileInfo>
#include <QLabel>
#include <QElapsedTimer>
#include <QTemporaryDir>

using namespace qel;
using namespace qel::test;

namespace {
// Pages in the manner of the e-payment service, for a real browser: the challan choice submits
// the first form, the challan form posts the payment, the answer is a confirmation or an error.
void browserPages(EpaySim& sim)
{
    sim.pages[QStringLiteral("tdsnontds.jsp")] = [&sim](const EpaySim::Request&) {
        return EpaySim::Reply{EpaySim::Reply::Page, QStringLiteral(R"HTML(<html><head><title>e-Tax Payment System</title></head><body>
<form name="tdsnontds" method="post" action="PopServlet?rKey=FIRST%1">
<input type="radio" id="280" name="R2" value="280" onclick="this.form.submit()">
<input type="radio" id=" 281 " name="R2" value="281" onclick="this.form.submit()">
</form></body></html>)HTML").arg(sim.served).toLatin1()};
    };
    sim.pages[QStringLiteral("PopServlet")] = [&sim](const EpaySim::Request& r) {
        const QString code = r.field(QStringLiteral("R2"));
        const QString X = code == u"280" ? QStringLiteral("PAN") : QStringLiteral("TAN");
        QString nature;
        if (code == u"281")
            nature = QStringLiteral("<select name=\"NaturePayment\"><option>Select</option><option>194C - Payment to contractors</option>"
                                    "<option>193 - Interest on Securities</option></select>");
        return EpaySim::Reply{EpaySim::Reply::Page, QStringLiteral(R"HTML(<html><head><title>Challan No/ITNO %1</title></head><body>
<form name="tax%1" method="post" action="SubmitTdsn?rKey=SECOND%2">
<input type="text" name="%3">
<input type="radio" name="MajorHead" value="0020"><input type="radio" name="MajorHead" value="0021">
<select name="AssessYear"><option>Select</option><option>2023-24</option><option>2024-25</option></select>
<input name="Add_Line1"><input name="Add_Line2"><input name="Add_Line3"><input name="Add_Line4"><input name="Add_Line5">
<select name="Add_State"><option>DELHI</option><option>Rajasthan</option></select>
<input name="Add_PIN"><input name="Add_EMAIL"><input name="Add_MOBILE">
<input type="radio" name="MinorHead" value="200"><input type="radio" name="MinorHead" value="300">
%4
<select name="BankName_C"><option> Bank Name </option><option> </option><option>FIXTURE BANK</option></select>
<img id="Captcha" src="Captcha1Servlet?n=%2" width="120" height="40">
<input type="text" name="captchaText"><input type="submit" name="submit" value="Proceed">
</form></body></html>)HTML").arg(code).arg(sim.served).arg(X, nature).toLatin1()};
    };
    sim.pages[QStringLiteral("SubmitTdsn")] = [&sim](const EpaySim::Request& r) {
        const QString code = r.field(QStringLiteral("PAN")).isEmpty() ? QStringLiteral("281") : QStringLiteral("280");
        const QString X = code == u"280" ? QStringLiteral("PAN") : QStringLiteral("TAN");
        if (r.field(QStringLiteral("captchaText")) != sim.captchaText)
            return EpaySim::Reply{EpaySim::Reply::Page,
                                  QStringLiteral("<html><head><title>Challan No/ITNO %1</title></head><body>Text does not match."
                                                 "<form name=\"tax%1\"><input type=\"button\" name=\"back\" value=\"Back\"></form></body></html>")
                                      .arg(code)
                                      .toLatin1()};
        return EpaySim::Reply{EpaySim::Reply::Page,
                              QStringLiteral("<html><head><title>Confirm Challan No/ITNO %1</title></head><body>"
                                             "The name of the taxpayer is as per the ITD"
                                             "<input type=\"hidden\" name=\"%2\" value=\"%3\"><input type=\"hidden\" name=\"Name\" value=\"%4\">"
                                             "</body></html>")
                                  .arg(code, X, r.field(X), sim.holderName)
                                  .toLatin1()};
    };
}
} // namespace

class TestBrowserVerify : public QObject {
    Q_OBJECT
    QTemporaryDir sysdir;
    std::unique_ptr<EpaySim> sim;
    ClsMain cls;
    test::TestDesktop desk{cls.session()};   // the windows' desktop, for every test

    void configure(const QString& extra = QString())
    {
        QVERIFY(writeSystemConfig(sysdir.path(), QStringLiteral("[Verify]\nBaseAddress=%1\n%2").arg(sim->base(), extra)));
    }
    static void needBrowser()
    {
        if (!QFileInfo(QStringLiteral("/usr/bin/chromium")).isExecutable() || !QFileInfo(QStringLiteral("/usr/bin/chromedriver")).isExecutable())
            QSKIP("needs Chromium and chromedriver (Debian packages chromium and chromium-driver); scripts/setup installs them");
    }
    QString verifyTyping(const QString& request)
    {
        ScriptedUser user;
        user.when(verifierWaitsForCode, [this] { typeCode(sim->captchaText); });
        return cls.GetPanTanName(request);
    }

private slots:
    void initTestCase()
    {
        qputenv("QELREFDESK_SYSTEM_DIR", sysdir.path().toUtf8());
        cls.InitMe(sysdir.path(), nullptr, QStringLiteral("err.log"), 1, 1, 1);
    }
    void init()
    {
        sim = std::make_unique<EpaySim>();
        browserPages(*sim);
        sim->holderName = QStringLiteral("FIXTURE HOLDER &amp;amp; CO");
        configure();
        desk.date = {};
        UserSettings::put(QStringLiteral("QELInfo"), QStringLiteral("Settings"), QStringLiteral("PTV"), QStringLiteral("Y"));
    }
    void cleanupTestCase()
    {
        desk.date = {};
        UserSettings::put(QStringLiteral("QELInfo"), QStringLiteral("Settings"), QStringLiteral("PTV"), QStringLiteral("N"));
    }

    void withoutTheBrowserItSaysSo()
    {
        configure(QStringLiteral("Chromium=/nonexistent/chromium\n"));
        QCOMPARE(cls.GetPanTanName(QStringLiteral("PAN:ABCDE1234F")), QStringLiteral("Could not open Internet Explorer Application."));
        QCOMPARE(cls.GetPanTanName(QStringLiteral("pan:ABCDE1234F")), QStringLiteral("Invalid Parameter."));
    }

    void panFillsTheFormAndReadsTheName()
    {
        needBrowser();
        desk.date = [] { return QDate(2024, 3, 31); };
        QSize captcha;
        ScriptedUser user;
        user.when(verifierWaitsForCode, [&] {
            captcha = shownVerifier()->findChild<QLabel*>(QStringLiteral("PicImg"))->pixmap().size();
            typeCode(sim->captchaText);
        });
        // The page holds the name escaped once more; the dialog decodes what the browser shows.
        QCOMPARE(cls.GetPanTanName(QStringLiteral("PAN:ABCDE1234F")), QStringLiteral("Valid PAN in Name of 'FIXTURE HOLDER & CO'."));
        QCOMPARE(captcha, QSize(120, 40));
        const auto sub = sim->requestsFor(QStringLiteral("SubmitTdsn")).value(0);
        QCOMPARE(sub.field(QStringLiteral("PAN")), QStringLiteral("ABCDE1234F"));
        QCOMPARE(sub.field(QStringLiteral("MajorHead")), QStringLiteral("0021"));
        QCOMPARE(sub.field(QStringLiteral("AssessYear")), QStringLiteral("2023-24"));
        QCOMPARE(sub.field(QStringLiteral("Add_Line3")), QStringLiteral("Test Add3"));
        QCOMPARE(sub.field(QStringLiteral("Add_State")), QStringLiteral("Rajasthan"));
        QCOMPARE(sub.field(QStringLiteral("Add_PIN")), QStringLiteral("302001"));
        QCOMPARE(sub.field(QStringLiteral("Add_MOBILE")), QStringLiteral("9999999999"));
        QCOMPARE(sub.field(QStringLiteral("MinorHead")), QStringLiteral("300"));
        QCOMPARE(sub.field(QStringLiteral("BankName_C")), QStringLiteral("FIXTURE BANK"));
        QCOMPARE(sub.field(QStringLiteral("captchaText")), sim->captchaText);
    }

    void tanPicksTheFirstNatureOfPayment()
    {
        needBrowser();
        desk.date = [] { return QDate(2024, 4, 1); };
        sim->holderName = QStringLiteral("Fixture Works");
        QCOMPARE(verifyTyping(QStringLiteral("TAN:DELC12345E")), QStringLiteral("Valid TAN in Name of 'Fixture Works'."));
        const auto sub = sim->requestsFor(QStringLiteral("SubmitTdsn")).value(0);
        QCOMPARE(sub.field(QStringLiteral("TAN")), QStringLiteral("DELC12345E"));
        QCOMPARE(sub.field(QStringLiteral("NaturePayment")), QStringLiteral("194C - Payment to contractors"));
        QCOMPARE(sub.field(QStringLiteral("MajorHead")), QStringLiteral("0020"));
        QCOMPARE(sub.field(QStringLiteral("MinorHead")), QStringLiteral("200"));
        QCOMPARE(sub.field(QStringLiteral("AssessYear")), QStringLiteral("2024-25"));
    }

    void wrongCodeStartsAgain()
    {
        needBrowser();
        Messages& msgs = desk.fresh();
        // While the new captcha is fetched, the old picture is not shown and Ok cannot be pressed.
        qint64 first = 0;
        bool wrongTyped = false, stale = false, okWithoutPicture = false;
        QTimer watch;
        connect(&watch, &QTimer::timeout, [&] {
            QWidget* d = shownWindow(QStringLiteral("frmPANTAN"));
            if (!d || !d->findChild<QWidget*>(QStringLiteral("Frame2"))->isVisible())
                return;
            const QPixmap pic = d->findChild<QLabel*>(QStringLiteral("PicImg"))->pixmap();
            const qint64 key = pic.isNull() ? 0 : pic.cacheKey();
            if (!wrongTyped && key)
                first = key;
            stale |= wrongTyped && key != 0 && key == first;
            okWithoutPicture |= !key && d->findChild<QPushButton*>(QStringLiteral("cmdok"))->isEnabled();
        });
        watch.start(2);
        ScriptedUser user;
        user.when(verifierWaitsForCode, [&] {
                if (!first)   // the picture as the user sees it, whichever timer came first
                    first = shownWindow(QStringLiteral("frmPANTAN"))->findChild<QLabel*>(QStringLiteral("PicImg"))->pixmap().cacheKey();
                wrongTyped = true;
                typeCode(QStringLiteral("WRONG"));
            })
            .when([&] { return verifierWaitsForCode() && msgs.seen.size() == 1; }, [this] { typeCode(sim->captchaText); });
        QCOMPARE(cls.GetPanTanName(QStringLiteral("PAN:ABCDE1234F")), QStringLiteral("Valid PAN in Name of 'FIXTURE HOLDER & CO'."));
        QCOMPARE(msgs.seen, QStringList{QStringLiteral("Invalid Image Code.")});
        QVERIFY(first != 0);
        QVERIFY(!stale);
        QVERIFY(!okWithoutPicture);
        QCOMPARE(sim->requestsFor(QStringLiteral("tdsnontds.jsp")).size(), 2);   // a fresh browser, a fresh captcha
    }

    void answersThatEndTheRun_data()
    {
        QTest::addColumn<QByteArray>("page");
        QTest::addColumn<QString>("result");
        QTest::newRow("error title") << QByteArray("<html><head><title>Error Page</title></head><body>Sorry</body></html>") << "Invalid PAN.";
        QTest::newRow("invalid pan") << QByteArray("<html><head><title>Challan No/ITNO 280</title></head><body>ERROR -PAN is invalid</body></html>")
                                     << "Invalid PAN.";
        QTest::newRow("other identifier")
            << QByteArray("<html><head><title>Confirm Challan No/ITNO 280</title></head><body>The name of the taxpayer is as per the ITD"
                          "<input type=\"hidden\" name=\"PAN\" value=\"abcde1234f\"><input type=\"hidden\" name=\"Name\" value=\"X\"></body></html>")
            << "Failed to Validate PAN.";
    }
    void answersThatEndTheRun()
    {
        needBrowser();
        QFETCH(QByteArray, page);
        QFETCH(QString, result);
        sim->pages[QStringLiteral("SubmitTdsn")] = [page](const EpaySim::Request&) { return EpaySim::Reply{EpaySim::Reply::Page, page}; };
        QCOMPARE(verifyTyping(QStringLiteral("PAN:ABCDE1234F")), result);
    }

    void cancelDuringAWait_data()
    {
        QTest::addColumn<QString>("page");
        QTest::newRow("first page") << "tdsnontds.jsp";
        QTest::newRow("challan page") << "PopServlet";
    }
    void cancelDuringAWait()
    {
        // A page that never comes: Cancel ends the run within a second, whatever the browser waits for.
        QFETCH(QString, page);
        needBrowser();
        sim->pages[page] = [](const EpaySim::Request&) { return EpaySim::Reply{EpaySim::Reply::Hang, {}}; };
        QElapsedTimer sinceCancel;
        ScriptedUser user;
        user.when([&] { return !sim->requestsFor(page).isEmpty(); },
                  [&] {
                      QTimer::singleShot(500, [&] {
                          sinceCancel.start();
                          click(QStringLiteral("frmPANTAN"), "cmdcancel");
                      });
                  });
        QCOMPARE(cls.GetPanTanName(QStringLiteral("PAN:ABCDE1234F")), QStringLiteral("Cancelled by User."));
        QVERIFY2(sinceCancel.elapsed() < 1000, qPrintable(QString::number(sinceCancel.elapsed())));
    }

    void cancelWhileTheDriverStarts()
    {
        // A driver that takes its time to answer (a busy machine): Cancel ends the start at once.
        QTemporaryDir bin;
        const QString driver = bin.filePath(QStringLiteral("slowdriver"));
        QVERIFY(writeFile(driver, "#!/bin/sh\nexec sleep 30\n"));
        QFile::setPermissions(driver, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
        configure(QStringLiteral("ChromeDriver=%1\nChromium=/bin/true\n").arg(driver));
        QElapsedTimer sinceCancel;
        ScriptedUser user;
        user.when([] { return shownWindow(QStringLiteral("frmPANTAN")) != nullptr; },
                  [&] {
                      QTimer::singleShot(100, [&] {
                          sinceCancel.start();
                          click(QStringLiteral("frmPANTAN"), "cmdcancel");
                      });
                  });
        QCOMPARE(cls.GetPanTanName(QStringLiteral("PAN:ABCDE1234F")), QStringLiteral("Cancelled by User."));
        QVERIFY(sinceCancel.isValid());
        QVERIFY2(sinceCancel.elapsed() < 500, qPrintable(QString::number(sinceCancel.elapsed())));
    }
};

QEL_TEST(TestBrowserVerify);
#include "test_browserverify.moc"
