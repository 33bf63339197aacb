#pragma once
#include <QString>
#include "core/desktop.h"

namespace qel {

namespace BrowserProxy {
// The desktop's proxy, as the session's desktop gives it, else the https_proxy/http_proxy
// environment first, then the GNOME proxy settings when gsettings is there. Nothing configured
// gives two empty values.
BrowserProxyValues read(const Session* session);
// "http://user:pw@host:3128/" -> "host:3128"; empty for an empty value.
QString serverFromUrl(const QString& url);
} // namespace BrowserProxy

} // namespace qel
