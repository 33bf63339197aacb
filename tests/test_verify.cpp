#include "component/clsmain.h"
#include "core/settings.h"
#include "tests/epaysim.h"
#include "tests/lookuptesting.h"
#include "tests/testdesktop.h"
#include "tests/testsupport.h"
#include "tests/usersim.h"
#include "verify/frmpantan_n.h"
#include "verify/pantancommon.h"
#include <QLabel>
#include <QRadioButton>
#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

using namespace qel;
using namespace qel::test;

class TestVerify : public QObject {
    Q_OBJECT
    QTemporaryDir sysdir;
    std::unique_ptr<EpaySim> sim;
    ClsMain cls;
    test::TestDesktop desk{cls.session()};   // the windows' desktop, for every test

    void configure(const QString& base, int timeoutSeconds = 5)
    {
        QVERIFY(writeSystemConfig(sysdir.path(), QStringLiteral("[Verify]\nBaseAddress=%1\nTimeoutSeconds=%2\n").arg(base).arg(timeoutSeconds)));
    }
    // Runs one verification with a user who types the right code when the captcha shows.
    QString verifyTyping(const QString& request, const QString& code)
    {
        ScriptedUser user;
        user.when([] { return verifierWaitsForCode(); }, [code] { typeCode(code); });
        return cls.GetPanTanName(request);
    }

private slots:
    void initTestCase()
    {
        for (const char* v : {"http_proxy", "https_proxy", "HTTP_PROXY", "HTTPS_PROXY", "all_proxy", "ALL_PROXY"})
            qunsetenv(v);
        qputenv("QELREFDESK_SYSTEM_DIR", sysdir.path().toUtf8());
        cls.InitMe(sysdir.path(), nullptr, QStringLiteral("err.log"), 1, 1, 1);
    }
    void init()
    {
        sim = std::make_unique<EpaySim>();
        configure(sim->base());
        UserSettings::put(QStringLiteral("VoxWHR"), QStringLiteral("ProxySettings"), QStringLiteral("ProxyOpt"), QStringLiteral("0"));
        UserSettings::put(QStringLiteral("VoxWHR"), QStringLiteral("ProxySettings"), QStringLiteral("FlagCMDLINE"), QStringLiteral("0"));
        desk.date = {};
    }

    void textHelpers()
    {
        QCOMPARE(pantan::DecodeHtml(QStringLiteral("A &amp; B &lt;x&gt; &quot;q&quot; &apos;s&apos;")), QStringLiteral("A & B <x> \"q\" 's'"));
        QCOMPARE(pantan::DecodeHtml(QStringLiteral("&amp;lt;")), QStringLiteral("<"));     // the ampersand goes first
        QCOMPARE(pantan::DecodeHtml(QStringLiteral("&AMP; &Lt;")), QStringLiteral("&AMP; &Lt;"));   // exact case only
        QCOMPARE(pantan::UrlEncode(QStringLiteral("Allahabad Bank|https://x.in/a_b")), QStringLiteral("Allahabad%20Bank%7Chttps%3A%2F%2Fx.in%2Fa%5Fb"));
        QCOMPARE(pantan::UrlEncode(QStringLiteral("az.-*()!'~09")), QStringLiteral("az.-*()!'~09"));
        QCOMPARE(pantan::UrlEncode(QStringLiteral("\t\u00e9\u20ac\u4e2d")), QStringLiteral("%09%E9%80%3F"));   // code page bytes; "?" outside it
        QCOMPARE(pantan::serviceCode(QStringLiteral("pan:ABCDE1234F")), QString());   // the prefix is case-sensitive
    }

    void captchaFileFailures()
    {
        QTemporaryDir tmp;
        frmPANTAN_N d;
        // Something that cannot be deleted stands where the file goes.
        const QString blocked = tmp.path() + QStringLiteral("/123.bmp");
        QVERIFY(QDir().mkpath(blocked + QStringLiteral("/inside")));
        QCOMPARE(d.SaveCaptchaFile(blocked), QStringLiteral("Failed to Delete Existing Temporary File."));
        QCOMPARE(d.SaveCaptchaFile(tmp.path() + QStringLiteral("/missing/1.bmp")), QStringLiteral("Failed to Create ActiveX Component Object [AS]."));
        // A read-only leftover is replaced.
        const QString old = tmp.path() + QStringLiteral("/7.bmp");
        {
            QFile f(old);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("old");
        }
        QFile::setPermissions(old, QFileDevice::ReadOwner);
        QCOMPARE(d.SaveCaptchaFile(old), QString());
        QCOMPARE(QFileInfo(old).size(), 0);
    }

    void assessmentYearTurnsOnFirstApril()
    {
        QCOMPARE(pantan::assessmentYear(QDate(2024, 3, 31)), QStringLiteral("2023-24"));
        QCOMPARE(pantan::assessmentYear(QDate(2024, 4, 1)), QStringLiteral("2024-25"));
        QCOMPARE(pantan::assessmentYear(QDate(2099, 12, 31)), QStringLiteral("2099-00"));
    }

    void panRequestsAndValidName()
    {
        desk.date = [] { return QDate(2024, 3, 31); };
        QCOMPARE(verifyTyping(QStringLiteral("PAN:AAACA1234B"), sim->captchaText), QStringLiteral("Valid PAN in Name of 'FIXTURE HOLDER & CO'."));
        const auto pop = sim->requestsFor(QStringLiteral("PopServlet"));
        QCOMPARE(pop.size(), 1);
        QCOMPARE(pop[0].method, QByteArray("POST"));
        QCOMPARE(pop[0].body, QByteArray("rKey=FIRST0&browser_type=IE&from_tdsnontds=Y&R2=280"));
        QCOMPARE(pop[0].headers.value("content-type"), QByteArray("application/x-www-form-urlencoded"));
        QCOMPARE(sim->requestsFor(QStringLiteral("Captcha1Servlet")).value(0).query, QStringLiteral("rnd=1"));
        const auto sub = sim->requestsFor(QStringLiteral("SubmitTdsn")).value(0);
        QCOMPARE(sub.query, QString());
        QVERIFY(sub.body.startsWith("rKey=SECOND1&inputarray=&inputrequest=Y&browser_type=IE&date=31/03/2024&flag_var=null&flag=280&PAN=AAACA1234B"
                                    "&MajorHead=0020&AssessYear=2023-24&Add_Line1=Test Add1"));
        QVERIFY(sub.body.contains("&Add_State=DELHI&Add_PIN=110001&Add_EMAIL="));
        QVERIFY(sub.body.endsWith("&MinorHead=300&BankName_c=Allahabad%20Bank%7Chttps%3A%2F%2F"
                                  "www.allbankonline.in%2Fservlet%2Fibs.servlets.IBSLoginServlet&captchaText=K7Q2P&Submit=Proceed"));
        QVERIFY(!sub.body.contains("NaturePayment"));
    }

    void tanRequests()
    {
        desk.date = [] { return QDate(2024, 4, 1); };
        // The confirmation echoes the identifier in lower case: still a match; the name keeps its case.
        sim->holderName = QStringLiteral("Fixture Works");
        auto confirm = sim->pages[QStringLiteral("SubmitTdsn")];
        sim->pages[QStringLiteral("SubmitTdsn")] = [confirm](const EpaySim::Request& r) {
            auto reply = confirm(r);
            reply.body.replace("DELC12345E", "delc12345e");
            return reply;
        };
        QCOMPARE(verifyTyping(QStringLiteral("TAN:DELC12345E"), sim->captchaText), QStringLiteral("Valid TAN in Name of 'Fixture Works'."));
        QVERIFY(sim->requestsFor(QStringLiteral("PopServlet")).value(0).body.endsWith("&R2=281"));
        const auto sub = sim->requestsFor(QStringLiteral("SubmitTdsn")).value(0);
        QCOMPARE(sub.field(QStringLiteral("flag")), QStringLiteral("281"));
        QCOMPARE(sub.field(QStringLiteral("TAN")), QStringLiteral("DELC12345E"));
        QCOMPARE(sub.field(QStringLiteral("MajorHead")), QStringLiteral("0020"));
        QCOMPARE(sub.field(QStringLiteral("MinorHead")), QStringLiteral("200"));
        QCOMPARE(sub.field(QStringLiteral("AssessYear")), QStringLiteral("2024-25"));
        QCOMPARE(sub.field(QStringLiteral("date")), QStringLiteral("01/04/2024"));
        QVERIFY(sub.body.contains("&MinorHead=200&NaturePayment=193 - Interest on Securities&BankName_c="));
        // Any fourth character but "C" is the other major head, for a TAN too.
        QCOMPARE(verifyTyping(QStringLiteral("TAN:DELA12345E"), sim->captchaText), QStringLiteral("Valid TAN in Name of 'Fixture Works'."));
        QCOMPARE(sim->requestsFor(QStringLiteral("SubmitTdsn")).value(1).field(QStringLiteral("MajorHead")), QStringLiteral("0021"));
    }

    void resultTexts_data()
    {
        QTest::addColumn<QString>("page");
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<QString>("result");
        const QString fail = QStringLiteral("Failed [Error Code : %1].");
        QTest::newRow("no payment action") << "tdsnontds.jsp" << QByteArray("<form action=\"Other?x=1\">") << fail.arg("0002");
        QTest::newRow("action of another page") << "tdsnontds.jsp" << QByteArray("<form ACTION=\"PopServletX?rKey=1\">") << fail.arg("0002");
        QTest::newRow("empty first page") << "tdsnontds.jsp" << QByteArray() << fail.arg("0002");
        QTest::newRow("no submission action") << "PopServlet" << QByteArray("<img src=\"Captcha1Servlet?a=1\">") << fail.arg("0003");
        QTest::newRow("no captcha") << "PopServlet" << QByteArray("<form action=\"SubmitTdsn?rKey=9\"><img src=\"Captcha1Servlet?\">") << fail.arg("0004");
        QTest::newRow("captcha not a picture") << "Captcha1Servlet" << QByteArray("<html>busy</html>") << fail.arg("0005");
        QTest::newRow("access error") << "SubmitTdsn" << QByteArray("Error Found while Accessing this Page") << "Invalid PAN.";
        QTest::newRow("invalid pan") << "SubmitTdsn" << QByteArray("error -pan is INVALID") << "Invalid PAN.";
        QTest::newRow("other identifier") << "SubmitTdsn"
                                          << QByteArray("<input type=\"hidden\" name=\"PAN\" value=\"ZZZZZ9999Z\">"
                                                        "<input type=\"hidden\" name=\"Name\" value=\"SOMEONE\">")
                                          << "Failed to Validate PAN.";
        QTest::newRow("empty name") << "SubmitTdsn"
                                    << QByteArray("<input type=\"hidden\" name=\"PAN\" value=\"ABCDE1234F\">"
                                                  "<input type=\"hidden\" name=\"Name\" value=\"\">")
                                    << "Failed to Validate PAN.";
    }
    void resultTexts()
    {
        QFETCH(QString, page);
        QFETCH(QByteArray, body);
        QFETCH(QString, result);
        sim->pages[page] = [body](const EpaySim::Request&) { return EpaySim::Reply{EpaySim::Reply::Page, body}; };
        QCOMPARE(verifyTyping(QStringLiteral("PAN:ABCDE1234F"), sim->captchaText), result);
    }

    void truncatedAndMalformedRepliesEndInAResult()
    {
        auto first = sim->pages[QStringLiteral("tdsnontds.jsp")];
        sim->pages[QStringLiteral("tdsnontds.jsp")] = [first](const EpaySim::Request& r) {
            auto reply = first(r);
            reply.body = reply.body.left(reply.body.indexOf("PopServlet") + 5);   // cut inside the action
            reply.kind = EpaySim::Reply::Truncate;
            return reply;
        };
        QCOMPARE(verifyTyping(QStringLiteral("PAN:ABCDE1234F"), sim->captchaText), QStringLiteral("Failed [Error Code : 0002]."));
        QCOMPARE(cls.GetPanTanName(QStringLiteral("pan:ABCDE1234F")), QStringLiteral("Invalid Parameter."));
        QCOMPARE(cls.GetPanTanName(QString()), QStringLiteral("Invalid Parameter."));
    }

    void bigPagesAreSearchedNotRefused()
    {
        // Every page far over the read bound, with what the run needs at its end: it still ends
        // in the holder's name, and no proxy dialog comes up (the pages did arrive).
        const QByteArray filler = "<p>" + QByteArray(64 * 1024 * 1024, 'x') + "</p>";
        for (const char* page : {"tdsnontds.jsp", "PopServlet", "SubmitTdsn"}) {
            auto small = sim->pages[QString::fromLatin1(page)];
            sim->pages[QString::fromLatin1(page)] = [small, filler](const EpaySim::Request& r) {
                auto reply = small(r);
                reply.body.insert(reply.body.indexOf("<body>") + 6, filler);
                return reply;
            };
        }
        ScriptedUser proxy;
        int offered = 0;
        proxy.when([] { return shownWindow(QStringLiteral("frmProxy")) != nullptr; },
                   [&] { ++offered; click(QStringLiteral("frmProxy"), "cmdcancel"); });
        QCOMPARE(verifyTyping(QStringLiteral("PAN:AAACA1234B"), sim->captchaText), QStringLiteral("Valid PAN in Name of 'FIXTURE HOLDER & CO'."));
        // A big first page without the form is the page's own failure, not a lost connection.
        sim->pages[QStringLiteral("tdsnontds.jsp")] = [filler](const EpaySim::Request&) {
            return EpaySim::Reply{EpaySim::Reply::Page, "<html><body>" + filler + "</body></html>"};
        };
        QCOMPARE(verifyTyping(QStringLiteral("PAN:AAACA1234B"), sim->captchaText), QStringLiteral("Failed [Error Code : 0002]."));
        QCOMPARE(offered, 0);
    }

    void wrongCodeReturnsToTheCaptcha()
    {
        Messages& msgs = desk.fresh();
        ScriptedUser user;
        auto submit = sim->pages[QStringLiteral("SubmitTdsn")];
        sim->pages[QStringLiteral("SubmitTdsn")] = [submit](const EpaySim::Request& r) {
            auto reply = submit(r);
            reply.body.replace("Text does not match", "TEXT DOES NOT MATCH");
            return reply;
        };
        user.when([] { return verifierWaitsForCode(); }, [] { typeCode(QStringLiteral("WRONG")); })
            .when([&] { return verifierWaitsForCode() && msgs.seen.size() == 1; }, [this] { typeCode(sim->captchaText); });
        QCOMPARE(cls.GetPanTanName(QStringLiteral("PAN:ABCDE1234F")), QStringLiteral("Valid PAN in Name of 'FIXTURE HOLDER & CO'."));
        QCOMPARE(msgs.seen, QStringList{QStringLiteral("Invalid Image Code.")});
        // The same form action both times, and no new captcha.
        const auto subs = sim->requestsFor(QStringLiteral("SubmitTdsn"));
        QCOMPARE(subs.size(), 2);
        QCOMPARE(subs[1].body.left(12), subs[0].body.left(12));
        QCOMPARE(sim->requestsFor(QStringLiteral("Captcha1Servlet")).size(), 1);
    }

    void emptyCodeAndRefresh()
    {
        Messages& msgs = desk.fresh();
        ScriptedUser user;
        user.when([] { return verifierWaitsForCode(); }, [] { typeCode(QString()); })
            .when([] { return verifierWaitsForCode(); }, [] { click(QStringLiteral("frmPANTAN_N"), "cmdrefresh"); })
            .when([this] { return verifierWaitsForCode() && sim->requestsFor(QStringLiteral("Captcha1Servlet")).size() == 2; },
                  [this] { typeCode(sim->captchaText); });
        QCOMPARE(cls.GetPanTanName(QStringLiteral("PAN:ABCDE1234F")), QStringLiteral("Valid PAN in Name of 'FIXTURE HOLDER & CO'."));
        QCOMPARE(msgs.seen, QStringList{QStringLiteral("Please Enter Code as shown in Image.")});
        // The refresh started over: a new first page, and the submission uses the new action.
        QCOMPARE(sim->requestsFor(QStringLiteral("tdsnontds.jsp")).size(), 2);
        QVERIFY(sim->requestsFor(QStringLiteral("SubmitTdsn")).value(0).body.startsWith("rKey=SECOND4&"));
    }

    void cancelAtEachStage_data()
    {
        QTest::addColumn<QString>("page");
        QTest::addColumn<QString>("result");
        QTest::newRow("first page") << "tdsnontds.jsp" << "ERROR:Cancelled by User.";
        QTest::newRow("challan page") << "PopServlet" << "Cancelled by User.";
        QTest::newRow("captcha") << "Captcha1Servlet" << "Cancelled by User.";
        QTest::newRow("submission") << "SubmitTdsn" << "Cancelled by User.";
    }
    void cancelAtEachStage()
    {
        QFETCH(QString, page);
        QFETCH(QString, result);
        // The server never answers that page; Cancel must still end the run at once.
        configure(sim->base(), 600);
        sim->pages[page] = [](const EpaySim::Request&) { return EpaySim::Reply{EpaySim::Reply::Hang, {}}; };
        ScriptedUser user;
        if (page == u"SubmitTdsn")
            user.when([] { return verifierWaitsForCode(); }, [this] { typeCode(sim->captchaText); });
        user.when([&] { return !sim->requestsFor(page).isEmpty(); }, [] { click(QStringLiteral("frmPANTAN_N"), "cmdcancel"); });
        QElapsedTimer t;
        t.start();
        QCOMPARE(cls.GetPanTanName(QStringLiteral("PAN:ABCDE1234F")), result);
        QVERIFY(t.elapsed() < 5000);
    }

    void cancelAtTheCaptchaAsks()
    {
        Messages& msgs = desk.fresh(false);
        ScriptedUser user;
        user.when([] { return verifierWaitsForCode(); }, [] { click(QStringLiteral("frmPANTAN_N"), "cmdcancel"); })
            .when([&] { return msgs.seen.size() == 1; }, [&] { msgs.answerYes = true; click(QStringLiteral("frmPANTAN_N"), "cmdcancel"); });
        QCOMPARE(cls.GetPanTanName(QStringLiteral("PAN:ABCDE1234F")), QStringLiteral("Cancelled by User."));
        QCOMPARE(msgs.seen, QStringList(2, QStringLiteral("Do you really want to Cancel?")));
        QVERIFY(sim->requestsFor(QStringLiteral("SubmitTdsn")).isEmpty());
    }

    void failedConnectionOffersProxyDialog()
    {
        // Nothing listens at the configured address; the proxy dialog comes up once.
        const QString deadBase = QStringLiteral("http://127.0.0.1:%1/etaxnew/").arg(sim->port());
        sim.reset();
        configure(deadBase, 2);
        {
            ScriptedUser user;
            int shown = 0;
            user.when([] { return shownWindow(QStringLiteral("frmProxy")) != nullptr; },
                      [&] { ++shown; click(QStringLiteral("frmProxy"), "cmdcancel"); });
            QCOMPARE(cls.GetPanTanName(QStringLiteral("PAN:ABCDE1234F")), QStringLiteral("Failed to Connect."));
            QCOMPARE(shown, 1);
        }
        // Confirmed, but the second attempt fails too.
        {
            ScriptedUser user;
            user.when([] { return shownWindow(QStringLiteral("frmProxy")) != nullptr; }, [] { click(QStringLiteral("frmProxy"), "cmdok"); });
            QCOMPARE(cls.GetPanTanName(QStringLiteral("PAN:ABCDE1234F")), QStringLiteral("Failed to Connect."));
        }
    }

    void serverThatNeverAnswersTimesOut()
    {
        configure(sim->base(), 1);
        sim->pages[QStringLiteral("SubmitTdsn")] = [](const EpaySim::Request&) { return EpaySim::Reply{EpaySim::Reply::Hang, {}}; };
        QCOMPARE(verifyTyping(QStringLiteral("PAN:ABCDE1234F"), sim->captchaText), QStringLiteral("Failed to Validate PAN."));
        // On the first page the time-out counts as a failed connection.
        sim->pages[QStringLiteral("tdsnontds.jsp")] = sim->pages[QStringLiteral("SubmitTdsn")];
        ScriptedUser user;
        user.when([] { return shownWindow(QStringLiteral("frmProxy")) != nullptr; }, [] { click(QStringLiteral("frmProxy"), "cmdcancel"); });
        QCOMPARE(cls.GetPanTanName(QStringLiteral("PAN:ABCDE1234F")), QStringLiteral("Failed to Connect."));
    }

    void proxyChosenAfterAFailureIsUsed()
    {
        // The service's host does not resolve; a manual proxy (the simulator) reaches it.
        configure(QStringLiteral("http://epay.invalid/etaxnew/"), 5);
        ScriptedUser user;
        user.when([] { return shownWindow(QStringLiteral("frmProxy")) != nullptr; },
                  [this] {
                      QWidget* d = shownWindow(QStringLiteral("frmProxy"));
                      for (auto* o : d->findChildren<QRadioButton*>(QStringLiteral("optproxy")))
                          if (o->property("Index").toInt() == 2)
                              o->click();
                      d->findChild<QLineEdit*>(QStringLiteral("txtserver"))->setText(QStringLiteral("127.0.0.1"));
                      d->findChild<QLineEdit*>(QStringLiteral("txtport"))->setText(QString::number(sim->port()));
                      click(QStringLiteral("frmProxy"), "cmdok");
                  })
            .when([] { return verifierWaitsForCode(); }, [this] { typeCode(sim->captchaText); });
        QCOMPARE(cls.GetPanTanName(QStringLiteral("PAN:ABCDE1234F")), QStringLiteral("Valid PAN in Name of 'FIXTURE HOLDER & CO'."));
        QVERIFY(!sim->requests.isEmpty());
        for (const auto& r : sim->requests)
            QVERIFY(r.viaProxy);
        QCOMPARE(UserSettings::get(QStringLiteral("VoxWHR"), QStringLiteral("ProxySettings"), QStringLiteral("ProxyOpt"), {}), QStringLiteral("2"));
    }
};

QEL_TEST(TestVerify);
#include "test_verify.moc"
