#include "component/clsmain.h"
#include "core/settings.h"
#include "netcfg/browserproxy.h"
#include "netcfg/frmproxy.h"
#include "netcfg/httprequest.h"
#include "tests/lookuptesting.h"
#include "tests/testdesktop.h"
#include "tests/testsupport.h"
#include "tests/usersim.h"
#include <QCheckBox>
#include <QRadioButton>
#include <QTemporaryDir>

using namespace qel;
using namespace qel::test;

namespace {
const QString kApp = QStringLiteral("VoxWHR"), kSection = QStringLiteral("ProxySettings");
QString stored(const char* key) { return UserSettings::get(kApp, kSection, QString::fromLatin1(key), QStringLiteral("<missing>")); }

void chooseMode(QWidget* d, int mode)
{
    for (auto* o : d->findChildren<QRadioButton*>(QStringLiteral("optproxy")))
        if (o->property("Index").toInt() == mode)
            o->click();
}
} // namespace

class TestProxy : public QObject {
    Q_OBJECT
    QTemporaryDir sysdir;
    ClsMain cls;
    test::TestDesktop desk{cls.session()};   // the windows' desktop, for every test
    BrowserProxyValues browser;

    // The request object after the stored settings were applied to it.
    std::unique_ptr<HttpRequest> applied()
    {
        auto r = std::make_unique<HttpRequest>();
        r->SetProxy(HttpRequest::NamedProxy, QStringLiteral("stale:1"));
        cls.SetProxyForWHR(r.get());
        return r;
    }

private slots:
    void initTestCase()
    {
        qputenv("QELREFDESK_SYSTEM_DIR", sysdir.path().toUtf8());
        cls.InitMe(sysdir.path(), nullptr, QStringLiteral("err.log"), 1, 1, 1);
        desk.proxy = [this] { return browser; };
    }
    void init()
    {
        for (const char* k : {"FlagCMDLINE", "ProxyOpt", "ProxyServer", "ProxyPort"})
            QSettings(QStringLiteral("QELRefDesk"), kApp).remove(kSection + u'/' + QString::fromLatin1(k));
        browser = {};
    }

    void defaultsApplyTheBrowsersProxy()
    {
        browser = {QStringLiteral("1"), QStringLiteral("proxy.fixture:3128")};
        frmProxy d(&cls.session());
        QCOMPARE(d.mode(), 1);
        QVERIFY(!child<QCheckBox>(&d, "chkcmdline")->isChecked());
        QCOMPARE(child<QLineEdit>(&d, "txtserver")->text(), QStringLiteral("proxy.fixture"));
        QCOMPARE(child<QLineEdit>(&d, "txtport")->text(), QStringLiteral("3128"));
        QVERIFY(!child<QLineEdit>(&d, "txtserver")->isEnabled());
        auto r = applied();
        QCOMPARE(r->proxySetting(), int(HttpRequest::NamedProxy));
        QCOMPARE(r->namedProxy().hostName(), QStringLiteral("proxy.fixture"));
        QCOMPARE(r->namedProxy().port(), quint16(3128));
    }

    void browserProxyValues()
    {
        // No port: the server alone, and the request keeps the preconfigured proxy.
        browser = {QStringLiteral("1"), QStringLiteral("proxy.fixture")};
        QCOMPARE(applied()->proxySetting(), int(HttpRequest::PreconfiguredProxy));
        // Disabled: nothing is read.
        browser = {QStringLiteral("0"), QStringLiteral("proxy.fixture:80")};
        {
            frmProxy d(&cls.session());
            QCOMPARE(child<QLineEdit>(&d, "txtserver")->text(), QString());
        }
        QCOMPARE(applied()->proxySetting(), int(HttpRequest::PreconfiguredProxy));
        // The per-protocol form is split at its first colon only.
        browser = {QStringLiteral("1"), QStringLiteral("http=a.fixture:80;https=b.fixture:443")};
        frmProxy d(&cls.session());
        QCOMPARE(child<QLineEdit>(&d, "txtserver")->text(), QStringLiteral("http=a.fixture"));
        QCOMPARE(child<QLineEdit>(&d, "txtport")->text(), QStringLiteral("80;https=b.fixture:443"));

        QCOMPARE(BrowserProxy::serverFromUrl(QStringLiteral("http://user:pw@proxy.fixture:3128/")), QStringLiteral("proxy.fixture:3128"));
        QCOMPARE(BrowserProxy::serverFromUrl(QStringLiteral("proxy.fixture:8080")), QStringLiteral("proxy.fixture:8080"));
        QCOMPARE(BrowserProxy::serverFromUrl(QString()), QString());
    }

    void manualModeNeedsServerAndPort()
    {
        Messages& msgs = desk.fresh();
        ScriptedUser user;
        user.when([] { return shownWindow(QStringLiteral("frmProxy")) != nullptr; },
                  [] {
                      QWidget* d = shownWindow(QStringLiteral("frmProxy"));
                      chooseMode(d, 2);
                      QVERIFY(child<QLineEdit>(d, "txtserver")->isEnabled());
                      child<QLineEdit>(d, "txtserver")->setText(QStringLiteral("proxy.fixture"));
                      click(QStringLiteral("frmProxy"), "cmdok");   // no port: refused, nothing stored
                      QVERIFY(shownWindow(QStringLiteral("frmProxy")));
                      QCOMPARE(stored("ProxyOpt"), QStringLiteral("<missing>"));
                      chooseMode(d, 0);
                      click(QStringLiteral("frmProxy"), "cmdok");
                  });
        QVERIFY(cls.GetProxyForWHR(nullptr));
        QVERIFY(cls.AltProxySett());
        QCOMPARE(msgs.seen, QStringList{QStringLiteral("Please Specify Proxy Port.")});
        QCOMPARE(stored("ProxyOpt"), QStringLiteral("0"));
        QCOMPARE(stored("ProxyServer"), QString());
        QCOMPARE(stored("ProxyPort"), QString());
        QCOMPARE(stored("FlagCMDLINE"), QStringLiteral("0"));
        // Mode 0 keeps the preconfigured proxy; it is not a direct connection.
        QCOMPARE(applied()->proxySetting(), int(HttpRequest::PreconfiguredProxy));
    }

    void manualModeIsStoredAndApplied()
    {
        ScriptedUser user;
        user.when([] { return shownWindow(QStringLiteral("frmProxy")) != nullptr; },
                  [] {
                      QWidget* d = shownWindow(QStringLiteral("frmProxy"));
                      chooseMode(d, 2);
                      child<QLineEdit>(d, "txtserver")->setText(QStringLiteral("10.1.2.3"));
                      child<QLineEdit>(d, "txtport")->setText(QStringLiteral("8080"));
                      click(QStringLiteral("frmProxy"), "cmdok");
                  });
        QVERIFY(cls.GetProxyForWHR(nullptr));
        QCOMPARE(stored("ProxyOpt"), QStringLiteral("2"));
        QCOMPARE(stored("ProxyServer"), QStringLiteral("10.1.2.3"));
        QCOMPARE(stored("ProxyPort"), QStringLiteral("8080"));
        auto r = applied();
        QCOMPARE(r->proxySetting(), int(HttpRequest::NamedProxy));
        QCOMPARE(r->namedProxy().hostName(), QStringLiteral("10.1.2.3"));
        // A new dialog opens with what was stored.
        frmProxy d(&cls.session());
        QCOMPARE(d.mode(), 2);
        QCOMPARE(child<QLineEdit>(&d, "txtport")->text(), QStringLiteral("8080"));
    }

    void cancelWritesNothing()
    {
        ScriptedUser user;
        user.when([] { return shownWindow(QStringLiteral("frmProxy")) != nullptr; }, [] {
            chooseMode(shownWindow(QStringLiteral("frmProxy")), 0);
            click(QStringLiteral("frmProxy"), "cmdcancel");
        });
        QVERIFY(!cls.GetProxyForWHR(nullptr));
        QVERIFY(!cls.AltProxySett());
        QCOMPARE(stored("ProxyOpt"), QStringLiteral("<missing>"));
    }

    void commandLineUtilityRunsAndRequestsKeepTheSystemProxy()
    {
        // A fixture utility that records its arguments.
        const QString out = sysdir.path() + QStringLiteral("/utility-args");
        const QString script = sysdir.path() + QStringLiteral("/FIXTURE-proxycfg");
        {
            QFile f(script);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(QStringLiteral("#!/bin/sh\necho \"$@\" > '%1.part' && mv '%1.part' '%1'\n").arg(out).toUtf8());
        }
        QFile::setPermissions(script, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QVERIFY(writeSystemConfig(sysdir.path(), QStringLiteral("[Proxy]\nUtility=%1\n").arg(script)));
        ScriptedUser user;
        user.when([] { return shownWindow(QStringLiteral("frmProxy")) != nullptr; },
                  [] {
                      QWidget* d = shownWindow(QStringLiteral("frmProxy"));
                      chooseMode(d, 2);
                      child<QCheckBox>(d, "chkcmdline")->setChecked(true);
                      child<QLineEdit>(d, "txtserver")->setText(QStringLiteral("10.1.2.3"));
                      child<QLineEdit>(d, "txtport")->setText(QStringLiteral("8080"));
                      click(QStringLiteral("frmProxy"), "cmdok");
                  });
        QVERIFY(cls.GetProxyForWHR(nullptr));
        QTRY_VERIFY(QFile::exists(out));
        QFile f(out);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(QString::fromUtf8(f.readAll()).trimmed(), QStringLiteral("-p 10.1.2.3:8080"));
        QCOMPARE(stored("FlagCMDLINE"), QStringLiteral("1"));
        QCOMPARE(applied()->proxySetting(), int(HttpRequest::PreconfiguredProxy));
        // A missing utility is told, naming it, and logged.
        QFile::remove(script);
        Messages& told = desk.fresh();
        frmProxy w(&cls.session());
        w.InitData(&cls.session());
        w.runUtility({QStringLiteral("-d")});
        QCOMPARE(told.seen.size(), 1);
        QVERIFY2(told.seen[0].contains(script), qPrintable(told.seen[0]));
        QFile log(sysdir.path() + QStringLiteral("/err.log"));
        QVERIFY(log.open(QIODevice::ReadOnly) && log.readAll().contains(script.toUtf8()));
    }
};

QEL_TEST(TestProxy);
#include "test_proxy.moc"
