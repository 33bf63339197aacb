#include "netcfg/browserproxy.h"
#include <QProcess>
#include <QStandardPaths>

namespace qel::BrowserProxy {

namespace {
QString gsettings(const QString& schema, const QString& key)
{
    QProcess p;
    p.start(QStringLiteral("gsettings"), {QStringLiteral("get"), schema, key});
    if (!p.waitForFinished(2000) || p.exitCode() != 0)
        return QString();
    QString v = QString::fromUtf8(p.readAllStandardOutput()).trimmed();
    if (v.startsWith(u'\'') && v.endsWith(u'\'') && v.size() >= 2)
        v = v.mid(1, v.size() - 2);
    if (v.startsWith(QStringLiteral("uint32 ")))
        v = v.mid(7);
    return v;
}

BrowserProxyValues fromDesktop()
{
    for (const char* var : {"https_proxy", "HTTPS_PROXY", "http_proxy", "HTTP_PROXY"}) {
        const QString server = serverFromUrl(qEnvironmentVariable(var));
        if (!server.isEmpty())
            return {QStringLiteral("1"), server};
    }
    if (QStandardPaths::findExecutable(QStringLiteral("gsettings")).isEmpty())
        return {};
    if (gsettings(QStringLiteral("org.gnome.system.proxy"), QStringLiteral("mode")) != u"manual")
        return {};
    for (const char* schema : {"org.gnome.system.proxy.https", "org.gnome.system.proxy.http"}) {
        const QString host = gsettings(QString::fromLatin1(schema), QStringLiteral("host"));
        const QString port = gsettings(QString::fromLatin1(schema), QStringLiteral("port"));
        if (!host.isEmpty())
            return {QStringLiteral("1"), port.isEmpty() || port == u"0" ? host : host + u':' + port};
    }
    return {};
}
} // namespace

QString serverFromUrl(const QString& url)
{
    QString s = url.trimmed();
    if (const int i = s.indexOf(QStringLiteral("://")); i >= 0)
        s = s.mid(i + 3);
    if (const int at = s.lastIndexOf(u'@'); at >= 0)
        s = s.mid(at + 1);
    if (const int slash = s.indexOf(u'/'); slash >= 0)
        s = s.left(slash);
    return s;
}

BrowserProxyValues read(const Session* session)
{
    if (const std::optional<BrowserProxyValues> given = desktopOf(session).browserProxy())
        return *given;
    return fromDesktop();
}

} // namespace qel::BrowserProxy
