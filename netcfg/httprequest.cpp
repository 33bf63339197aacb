#include "netcfg/httprequest.h"
#include <QEventLoop>
#include <QNetworkProxyFactory>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QStringDecoder>
#include <QTimer>
#include <QUrl>

namespace qel {

HttpRequest::HttpRequest(QObject* parent) : QObject(parent)
{
    // Redirects are followed, as a browser would; the cookies of one exchange stay with its
    // request object (its own access manager), as the service's session needs them.
    m_nam.setRedirectPolicy(QNetworkRequest::NoLessSafeRedirectPolicy);
    m_deadline = new QTimer(this);
    m_deadline->setSingleShot(true);
    connect(m_deadline, &QTimer::timeout, this,
            [this] { fail(QStringLiteral("No complete answer within %1 seconds").arg(m_timeoutMs / 1000.0)); });
}

HttpRequest::~HttpRequest() { Abort(); }

void HttpRequest::SetProxy(int setting, const QString& server, const QString&)
{
    m_setting = setting;
    m_named = QNetworkProxy();
    if (setting != NamedProxy)
        return;
    // "host:port", optionally with a scheme in front.
    QString s = server.trimmed();
    if (const int i = s.indexOf(QStringLiteral("://")); i >= 0)
        s = s.mid(i + 3);
    const int colon = s.lastIndexOf(u':');
    const QString host = colon >= 0 ? s.left(colon) : s;
    const int port = colon >= 0 ? s.mid(colon + 1).toInt() : 80;
    m_named = QNetworkProxy(QNetworkProxy::HttpProxy, host, quint16(port));
}

QNetworkProxy HttpRequest::proxyFor(const QUrl& url) const
{
    switch (m_setting) {
    case NamedProxy:
        return m_named;
    case DirectConnection:
        return QNetworkProxy(QNetworkProxy::NoProxy);
    default: {
        // The system's configured proxy (the environment's http_proxy/https_proxy, or the
        // desktop's settings where Qt can read them).
        const auto list = QNetworkProxyFactory::systemProxyForQuery(QNetworkProxyQuery(url));
        return list.isEmpty() ? QNetworkProxy(QNetworkProxy::NoProxy) : list.first();
    }
    }
}

void HttpRequest::Open(const QString& method, const QString& url, bool)
{
    Abort();
    m_method = method.toUpper();
    m_url = url;
    m_headers.clear();
    m_keys.clear();
}

void HttpRequest::setSearchKeys(const QList<QByteArray>& keys, qsizetype excerptBytes)
{
    m_keys.clear();
    for (const QByteArray& k : keys)
        m_keys.append({k.toLower()});
    m_excerptBytes = excerptBytes;
}

QByteArray HttpRequest::ResponseBody() const
{
    if (!m_overflow)
        return m_body;
    QByteArray all = m_body;
    for (const Key& k : m_keys)
        all += '\n' + k.excerpt;
    return all;
}

void HttpRequest::take(QByteArray chunk)
{
    if (m_done)
        return;
    if (!m_overflow) {
        if (m_body.size() + chunk.size() <= m_maxBytes) {
            m_body += chunk;
            return;
        }
        if (m_keys.isEmpty())
            return fail(QStringLiteral("The answer is larger than %1 bytes").arg(m_maxBytes));
        const qsizetype room = m_maxBytes - m_body.size();
        m_body += chunk.left(room);
        chunk.remove(0, room);
        m_overflow = true;
        const QByteArray lower = m_body.toLower();
        for (Key& k : m_keys)
            k.found = lower.contains(k.text);
        m_carry = m_body.right(m_excerptBytes);
    }
    excerpt(chunk);
}

void HttpRequest::excerpt(const QByteArray& chunk)
{
    // Keys found earlier take what follows them; then the new piece is searched, together with
    // the end of the previous one.
    qsizetype longest = 0;
    for (Key& k : m_keys) {
        const qsizetype n = std::min(k.left, chunk.size());
        k.excerpt += chunk.left(n);
        k.left -= n;
        longest = std::max(longest, k.text.size());
    }
    const QByteArray text = m_carry.right(longest) + chunk, lower = text.toLower();
    bool complete = true;
    for (Key& k : m_keys) {
        if (!k.found) {
            if (const qsizetype at = lower.indexOf(k.text); at >= 0) {
                k.found = true;
                k.excerpt = text.mid(at, m_excerptBytes);
                k.left = m_excerptBytes - k.excerpt.size();
            }
        }
        complete = complete && k.found && k.left == 0;
    }
    m_carry = text.right(longest);
    if (complete) {
        // Everything the page is searched for is in hand: the rest is not read.
        m_done = true;
        Abort();
    }
}

void HttpRequest::SetRequestHeader(const QString& name, const QString& value)
{
    m_headers.append({name.toLatin1(), value.toLatin1()});
}

bool HttpRequest::Send(const QByteArray& body)
{
    Abort();
    m_body.clear();
    m_contentType.clear();
    m_done = false;
    m_failed = false;
    m_error.clear();
    m_overflow = false;
    m_carry.clear();
    for (Key& k : m_keys)
        k = Key{k.text};
    const QUrl url(m_url);
    if (m_method.isEmpty() || !url.isValid() || !(url.scheme() == u"http" || url.scheme() == u"https")) {
        m_done = m_failed = true;
        m_error = QStringLiteral("Invalid address: ") + m_url;
        return false;
    }
    QNetworkRequest req(url);
    for (const auto& [n, v] : m_headers)
        req.setRawHeader(n, v);
    if (!m_userAgent.isEmpty())
        req.setHeader(QNetworkRequest::UserAgentHeader, m_userAgent);
    if (m_noCache) {
        req.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
        req.setAttribute(QNetworkRequest::CacheSaveControlAttribute, false);
        req.setAttribute(QNetworkRequest::CookieLoadControlAttribute, QNetworkRequest::Manual);
        req.setRawHeader("Cache-Control", "no-cache");
        req.setRawHeader("Pragma", "no-cache");
    }
    req.setTransferTimeout(m_timeoutMs);
    m_nam.setProxy(proxyFor(url));
    m_reply = m_nam.sendCustomRequest(req, m_method.toLatin1(), body);
    connect(m_reply, &QNetworkReply::finished, this, &HttpRequest::finished);
    connect(m_reply, &QNetworkReply::readyRead, this, [this] {
        if (!m_reply)
            return;
        if (m_contentType.isEmpty())
            m_contentType = m_reply->header(QNetworkRequest::ContentTypeHeader).toByteArray();
        take(m_reply->readAll());
    });
    connect(m_reply, &QNetworkReply::downloadProgress, this, [this](qint64, qint64 total) {
        if (total > m_maxBytes && m_keys.isEmpty())
            fail(QStringLiteral("The answer is larger than %1 bytes").arg(m_maxBytes));
    });
    m_deadline->start(m_timeoutMs);
    return true;
}

void HttpRequest::fail(const QString& why)
{
    if (m_done || !m_reply)
        return;
    m_body.clear();
    m_contentType.clear();
    m_failed = m_done = true;
    m_error = why;
    Abort();
}

void HttpRequest::finished()
{
    auto* r = qobject_cast<QNetworkReply*>(sender());
    if (!r || r != m_reply)
        return;
    take(r->readAll());
    if (m_done)   // failed as too large, or ended when every key had been found
        return;
    m_contentType = r->header(QNetworkRequest::ContentTypeHeader).toByteArray();
    // Only a request that got no answer from the server has failed; an answer with an error
    // status is still an answer, and its page decides.
    const bool answered = r->attribute(QNetworkRequest::HttpStatusCodeAttribute).isValid();
    if (r->error() != QNetworkReply::NoError && !answered) {
        m_failed = true;
        m_error = r->errorString();
    }
    m_done = true;
    m_deadline->stop();
    r->deleteLater();
    m_reply = nullptr;
}

bool HttpRequest::WaitForResponse(double seconds)
{
    if (m_done)
        return true;
    if (!m_reply)
        return false;
    QEventLoop loop;
    QTimer timer;
    timer.setSingleShot(true);
    connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
    connect(m_reply, &QNetworkReply::finished, &loop, &QEventLoop::quit, Qt::QueuedConnection);
    connect(m_reply, &QObject::destroyed, &loop, &QEventLoop::quit);
    timer.start(int(seconds * 1000));
    loop.exec();
    return m_done;
}

void HttpRequest::waitForCompletion()
{
    while (!WaitForResponse(1.0) && m_reply) {
    }
}

QString HttpRequest::ResponseText() const
{
    const QByteArray body = ResponseBody();
    // The charset the server names, else UTF-8 when the bytes are valid UTF-8, else Latin-1.
    const int at = m_contentType.toLower().indexOf("charset=");
    if (at >= 0) {
        QByteArray cs = m_contentType.mid(at + 8);
        cs = cs.left(cs.indexOf(';') < 0 ? cs.size() : cs.indexOf(';')).trimmed();
        cs.replace('"', "");
        QStringDecoder dec(cs.constData());
        if (dec.isValid())
            return dec.decode(body);
    }
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString s = utf8.decode(body);
    return utf8.hasError() ? QString::fromLatin1(body) : s;
}

void HttpRequest::Abort()
{
    m_deadline->stop();
    if (m_reply) {
        m_reply->disconnect(this);
        m_reply->abort();
        m_reply->deleteLater();
        m_reply = nullptr;
    }
}

} // namespace qel
