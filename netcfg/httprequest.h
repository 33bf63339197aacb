#pragma once
#include <QByteArray>
#include <QList>
#include <QNetworkAccessManager>
#include <QNetworkProxy>
#include <QObject>
#include <QPair>
#include <QPointer>
#include <QString>
#include <QTimer>

class QNetworkReply;

namespace qel {

// The HTTP request object of the online verification: one request at a time, opened, sent
// asynchronously and then waited for in short steps so that the caller can keep its window
// alive and notice a cancel between the steps.
//
// A reply counts as complete when the server's answer has arrived, whatever its status, or when
// the connection failed (then failed() is true and the texts are empty). A request whose answer
// is not complete within its time limit fails the same way (a server that sends a byte now and
// then included), and so does an answer larger than its size limit: no wait goes on for ever and
// no answer fills the memory. A request that names search keys is the exception: its answer is
// still an answer past the size limit (see setSearchKeys).
class HttpRequest : public QObject {
    Q_OBJECT
public:
    // The proxy settings of SetProxy.
    enum { PreconfiguredProxy = 0, DirectConnection = 1, NamedProxy = 2 };

    explicit HttpRequest(QObject* parent = nullptr);
    ~HttpRequest() override;

    Q_INVOKABLE void SetProxy(int setting, const QString& server = QString(), const QString& bypassList = QString());
    Q_INVOKABLE void Open(const QString& method, const QString& url, bool async = true);
    Q_INVOKABLE void SetRequestHeader(const QString& name, const QString& value);
    // False when the request cannot even be started (no Open, or an address that is not HTTP).
    Q_INVOKABLE bool Send(const QByteArray& body = QByteArray());
    // Waits up to the given time; true once the reply is complete.
    Q_INVOKABLE bool WaitForResponse(double seconds);
    // Waits until the reply is complete, for callers with nothing to do meanwhile; the transfer
    // timeout bounds the wait.
    void waitForCompletion();
    Q_INVOKABLE QString ResponseText() const;
    Q_INVOKABLE QByteArray ResponseBody() const;
    Q_INVOKABLE void Abort();

    bool failed() const { return m_failed; }
    QString errorText() const { return m_error; }
    // The time a request may take from its sending to the end of the answer.
    void setTransferTimeout(int ms) { m_timeoutMs = ms; }
    void setMaxResponseBytes(qint64 bytes) { m_maxBytes = bytes; }
    // For the request about to be sent (Open forgets them): the texts its page is searched for,
    // compared without regard to case. Past the size limit the page is read on, and of the rest
    // only the first place of each key is kept, with the bytes after it (excerptBytes in all);
    // reading stops once every key has been found. The body is then the page's first part
    // followed by those excerpts, so the searches find in it what they would in the whole page.
    void setSearchKeys(const QList<QByteArray>& keys, qsizetype excerptBytes = 64 * 1024);
    void setUserAgent(const QString& ua) { m_userAgent = ua; }
    // Ask the server for a fresh copy, bypassing every cache on the way.
    void setNoCache(bool on) { m_noCache = on; }

    // What SetProxy chose (for the proxy settings' own tests).
    int proxySetting() const { return m_setting; }
    QNetworkProxy namedProxy() const { return m_named; }

private:
    void finished();
    void take(QByteArray chunk);
    void excerpt(const QByteArray& chunk);
    void fail(const QString& why);
    QNetworkProxy proxyFor(const QUrl& url) const;

    QNetworkAccessManager m_nam;
    QPointer<QNetworkReply> m_reply;
    QString m_method;
    QString m_url;
    QList<QPair<QByteArray, QByteArray>> m_headers;
    QByteArray m_body;
    QByteArray m_contentType;
    bool m_done = false;
    bool m_failed = false;
    QString m_error;
    int m_setting = PreconfiguredProxy;
    QNetworkProxy m_named;
    int m_timeoutMs = 60000;
    qint64 m_maxBytes = 8 * 1024 * 1024;
    QTimer* m_deadline;
    QString m_userAgent;
    bool m_noCache = false;
    // The search keys' state for a page past the size limit.
    struct Key {
        QByteArray text;      // in lower case
        bool found = false;
        qsizetype left = 0;   // bytes still to keep after it
        QByteArray excerpt;
    };
    QList<Key> m_keys;
    qsizetype m_excerptBytes = 0;
    bool m_overflow = false;
    QByteArray m_carry;   // the end of what was read, for a key split between two pieces
};

} // namespace qel
