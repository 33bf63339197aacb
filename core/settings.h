#pragma once
#include <QString>
#include <QVector>

namespace qel {

// The per-user settings store: string values by application, section and key, each read with a
// default for a missing key ("QELInfo"/"Settings"/"PTV", "VoxWHR"/"ProxySettings"/...).
namespace UserSettings {
QString get(const QString& app, const QString& section, const QString& key, const QString& defaultValue);
void put(const QString& app, const QString& section, const QString& key, const QString& value);
// "Y" when the verification drives the browser, "N" (the default) when it sends its own requests.
QString verificationMethod();
void setVerificationMethod(const QString& method);
} // namespace UserSettings

// The system folder: the first of $XDG_CONFIG_DIRS (/etc/xdg when unset); $QELREFDESK_SYSTEM_DIR
// overrides it, for tests and for installs that keep their configuration elsewhere.
QString systemFolder();

// A key of the machine-wide configuration file QELCONFIG.INI in the system folder, with the
// default that serves when the file or the key is missing.
struct ConfigKey {
    const char* section;
    const char* key;
    const char* defaultValue;
    const char* meaning;
};

namespace Config {
extern const ConfigKey UpdateCheck, VersionAddress, SiteName, UpdateTimeout, BaseAddress, DummyEmail, BankOption,
    RegistrationPage, VerifyTimeout, ChromeDriver, Chromium, ProxyUtility;
// Every key, in the order the README lists them.
const QVector<const ConfigKey*>& keys();
QString value(const ConfigKey& key);
// A whole number of seconds as milliseconds; the default where the value is not a positive number.
int milliseconds(const ConfigKey& key);
} // namespace Config

} // namespace qel
