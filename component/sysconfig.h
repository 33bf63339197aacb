#pragma once
#include <QString>

namespace qel {

// The system folder and the product's machine-wide configuration file in it, "QELCONFIG.INI".
// The folder is the first of $XDG_CONFIG_DIRS (/etc/xdg when unset); $QELREFDESK_SYSTEM_DIR
// overrides it, for tests and for installs that keep their configuration elsewhere.
//
// Keys read from the file, each with a default that serves when the file or key is missing:
//   [Settings] QELUPDCHK         1 lets the automatic update check run
//   [Updates]  VersionAddress    address of the version-information file
//              SiteName          the site named in the connection message
//              TimeoutSeconds    a download that gets no answer for this long has failed
//   [Verify]   BaseAddress       the e-payment service, up to and including "/etaxnew/"
//              DummyEmail        e-mail address sent with the dummy payment form
//              BankOption        the bank option value sent with the payment form
//              TimeoutSeconds    a request that gets no answer for this long has failed
//              ChromeDriver      the WebDriver server used by the alternate method
//              Chromium          the browser it drives
//              RegistrationPage  the address of the registration page that is closed when it opens
//   [Proxy]    Utility           the command that sets the system-wide proxy (-d, -u, -p server:port)
QString systemFolder();
QString configValue(const QString& section, const QString& key, const QString& defaultValue);

} // namespace qel
