#pragma once
#include <QByteArray>
#include <QHash>
#include <QList>
#include <QObject>
#include <QString>
#include <QTcpServer>
#include <QUrlQuery>
#include <functional>

namespace qel::test {

// A stand-in for the tax department's e-payment service on 127.0.0.1: the first page with the
// payment form's action, the challan page with the submission's action and the captcha, the
// captcha image and the confirmation page, as the verification reads them. Each page can be
// replaced to fail in its own way, and every request is recorded. It also serves as an HTTP
// proxy: a request with an absolute address is answered the same way and marked as proxied.
// Other files (the update site's version file) are served from `pages` by their path.
class EpaySim : public QObject {
    Q_OBJECT
public:
    struct Request {
        QByteArray method;
        QString page;          // the part after "/etaxnew/" (else the path without its "/"), no query
        QString query;
        QByteArray body;
        QHash<QByteArray, QByteArray> headers;   // names in lower case
        bool viaProxy = false;
        // A field of the form-encoded body (a browser's "+" for a space included).
        QString field(const QString& name) const
        {
            return QUrlQuery(QString::fromLatin1(body).replace(u'+', u' ')).queryItemValue(name, QUrl::FullyDecoded);
        }
    };
    struct Reply {
        enum Kind { Page, Hang, Truncate, Drip } kind = Page;   // Drip: the body one byte at a time, slowly
        QByteArray body;
        QByteArray contentType = "text/html";
    };
    using Handler = std::function<Reply(const Request&)>;

    EpaySim();
    QString base() const;   // "http://127.0.0.1:<port>/etaxnew/"
    quint16 port() const { return m_server.serverPort(); }

    QList<Request> requests;
    QHash<QString, Handler> pages;   // by page name: "tdsnontds.jsp", "PopServlet", "Captcha1Servlet", "SubmitTdsn"

    // What the default pages hold.
    QString captchaText = QStringLiteral("K7Q2P");
    QString holderName = QStringLiteral("FIXTURE HOLDER &amp; CO");
    int served = 0;   // counts replies, so that every challan page carries a new key

    static QByteArray captchaPng(const QString& text);
    QList<Request> requestsFor(const QString& page) const;

private:
    void onConnection();
    void handle(class QTcpSocket* s, const Request& r);
    QTcpServer m_server;
};

} // namespace qel::test
