#pragma once
#include <QString>
#include <functional>

namespace qel {

// The browser's proxy, as the two values the proxy settings read: ProxyEnable ("1" when a proxy
// is configured) and ProxyServer ("host:port", or the per-protocol list as configured).
struct BrowserProxyValues {
    QString proxyEnable;
    QString proxyServer;
};

namespace BrowserProxy {
// The desktop's proxy: the https_proxy/http_proxy environment first, then the GNOME proxy
// settings when gsettings is there. Nothing configured gives two empty values.
BrowserProxyValues read();
// "http://user:pw@host:3128/" -> "host:3128"; empty for an empty value.
QString serverFromUrl(const QString& url);
// Replaces read() (tests; an empty function restores it).
void setReader(std::function<BrowserProxyValues()> reader);
} // namespace BrowserProxy

} // namespace qel
