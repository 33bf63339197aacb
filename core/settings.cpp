#include "core/settings.h"
#include <QSettings>

namespace qel {

namespace UserSettings {

QString get(const QString& app, const QString& section, const QString& key, const QString& defaultValue)
{
    QSettings s(QStringLiteral("QELRefDesk"), app);
    return s.value(section + u'/' + key, defaultValue).toString();
}

void put(const QString& app, const QString& section, const QString& key, const QString& value)
{
    QSettings s(QStringLiteral("QELRefDesk"), app);
    s.setValue(section + u'/' + key, value);
}

QString verificationMethod() { return get(QStringLiteral("QELInfo"), QStringLiteral("Settings"), QStringLiteral("PTV"), QStringLiteral("N")); }

void setVerificationMethod(const QString& method) { put(QStringLiteral("QELInfo"), QStringLiteral("Settings"), QStringLiteral("PTV"), method); }

} // namespace UserSettings

QString systemFolder()
{
    QString dir = qEnvironmentVariable("QELREFDESK_SYSTEM_DIR");
    if (dir.isEmpty())
        dir = qEnvironmentVariable("XDG_CONFIG_DIRS").section(u':', 0, 0);
    if (dir.isEmpty())
        dir = QStringLiteral("/etc/xdg");
    while (dir.size() > 1 && dir.endsWith(u'/'))
        dir.chop(1);
    return dir;
}

namespace Config {

const ConfigKey UpdateCheck{"Settings", "QELUPDCHK", "1", "0 stops the automatic update check when the menu window opens"};
const ConfigKey VersionAddress{"Updates", "VersionAddress", "http://updates.qelrefdesk.example/Updates/QELVerInf.Txt",
                               "address of the version-information file"};
const ConfigKey SiteName{"Updates", "SiteName", "updates.qelrefdesk.example", "the site named in the connection message"};
const ConfigKey UpdateTimeout{"Updates", "TimeoutSeconds", "30", "the whole download of the version file may take this long"};
const ConfigKey BaseAddress{"Verify", "BaseAddress", "https://onlineservices.tin.egov-nsdl.com/etaxnew/",
                            "the e-payment service, up to and including \"/etaxnew/\""};
const ConfigKey DummyEmail{"Verify", "DummyEmail", "test@example.com", "e-mail address sent with the dummy payment form"};
const ConfigKey BankOption{"Verify", "BankOption", "Allahabad Bank|https://www.allbankonline.in/servlet/ibs.servlets.IBSLoginServlet",
                           "the bank option value sent with the payment form"};
const ConfigKey RegistrationPage{"Verify", "RegistrationPage", "http://www.tin-nsdl.com/panregistration.asp",
                                 "closed if the service opens it"};
const ConfigKey VerifyTimeout{"Verify", "TimeoutSeconds", "60", "a request without a complete answer for this long has failed"};
const ConfigKey ChromeDriver{"Verify", "ChromeDriver", "/usr/bin/chromedriver", "the WebDriver server of the alternate method"};
const ConfigKey Chromium{"Verify", "Chromium", "/usr/bin/chromium", "the browser it drives"};
const ConfigKey ProxyUtility{"Proxy", "Utility", QEL_INSTALL_PREFIX "/lib/qelrefdesk/proxycfg",
                             "the command that sets the system-wide proxy (-d, -u, -p server:port)"};

const QVector<const ConfigKey*>& keys()
{
    static const QVector<const ConfigKey*> all{&UpdateCheck, &VersionAddress, &SiteName, &UpdateTimeout, &BaseAddress,
                                               &DummyEmail, &BankOption, &RegistrationPage, &VerifyTimeout, &ChromeDriver,
                                               &Chromium, &ProxyUtility};
    return all;
}

QString value(const ConfigKey& key)
{
    const QSettings ini(systemFolder() + QStringLiteral("/QELCONFIG.INI"), QSettings::IniFormat);
    return ini.value(QLatin1String(key.section) + u'/' + QLatin1String(key.key), QString::fromUtf8(key.defaultValue)).toString();
}

int milliseconds(const ConfigKey& key)
{
    const int s = value(key).toInt();
    return (s > 0 ? s : QByteArray(key.defaultValue).toInt()) * 1000;
}

} // namespace Config

} // namespace qel
