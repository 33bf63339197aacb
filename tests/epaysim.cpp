#include "tests/epaysim.h"
#include <QBuffer>
#include <QImage>
#include <QPainter>
#include <QTcpSocket>
#include <QTimer>

namespace qel::test {

EpaySim::EpaySim()
{
    m_server.listen(QHostAddress::LocalHost);
    connect(&m_server, &QTcpServer::newConnection, this, &EpaySim::onConnection);

    pages[QStringLiteral("tdsnontds.jsp")] = [this](const Request&) {
        return Reply{Reply::Page, QStringLiteral("<html><head><title>e-Tax Payment System</title></head><body>"
                                                 "<form name=\"tdsnontds\" method=\"post\" action=\"PopServlet?rKey=FIRST%1\">"
                                                 "<input type=\"radio\" name=\"R2\" value=\"280\"></form></body></html>")
                                      .arg(served)
                                      .toLatin1()};
    };
    pages[QStringLiteral("PopServlet")] = [this](const Request& r) {
        return Reply{Reply::Page, QStringLiteral("<html><head><title>Challan No/ITNO %1</title></head><body>"
                                                 "<form name=\"tax%1\" method=\"post\" action=\"SubmitTdsn?rKey=SECOND%2\">"
                                                 "<img src=\"Captcha1Servlet?rnd=%2\" id=\"Captcha\"></form></body></html>")
                                      .arg(r.field(QStringLiteral("R2")))
                                      .arg(served)
                                      .toLatin1()};
    };
    pages[QStringLiteral("Captcha1Servlet")] = [this](const Request&) { return Reply{Reply::Page, captchaPng(captchaText), "image/png"}; };
    pages[QStringLiteral("SubmitTdsn")] = [this](const Request& r) {
        if (r.field(QStringLiteral("captchaText")) != captchaText)
            return Reply{Reply::Page, "<html><body><font color=red>Text does not match. Please try again.</font></body></html>"};
        const QString X = r.field(QStringLiteral("flag")) == u"280" ? QStringLiteral("PAN") : QStringLiteral("TAN");
        return Reply{Reply::Page, QStringLiteral("<html><head><title>Confirm Challan No/ITNO %1</title></head><body>"
                                                 "<input type=\"hidden\" name=\"%2\" value=\"%3\">"
                                                 "<input type=\"hidden\" name=\"Name\" value=\"%4\">"
                                                 "The name of the taxpayer is as per the ITD</body></html>")
                                      .arg(r.field(QStringLiteral("flag")), X, r.field(X), holderName)
                                      .toLatin1()};
    };
}

QString EpaySim::base() const { return QStringLiteral("http://127.0.0.1:%1/etaxnew/").arg(port()); }

QList<EpaySim::Request> EpaySim::requestsFor(const QString& page) const
{
    QList<Request> out;
    for (const auto& r : requests)
        if (r.page == page)
            out << r;
    return out;
}

QByteArray EpaySim::captchaPng(const QString& text)
{
    QImage img(120, 40, QImage::Format_RGB32);
    img.fill(Qt::white);
    QPainter p(&img);
    p.drawLine(0, 0, 120, 40);
    QFont f = p.font();
    f.setPixelSize(22);
    f.setItalic(true);
    p.setFont(f);
    p.drawText(img.rect(), Qt::AlignCenter, text);
    p.end();
    QByteArray png;
    QBuffer buf(&png);
    buf.open(QIODevice::WriteOnly);
    img.save(&buf, "PNG");
    return png;
}

void EpaySim::onConnection()
{
    while (QTcpSocket* s = m_server.nextPendingConnection()) {
        auto* pending = new QByteArray;
        connect(s, &QTcpSocket::disconnected, s, [s, pending] {
            delete pending;
            s->deleteLater();
        });
        connect(s, &QTcpSocket::readyRead, this, [this, s, pending] {
            pending->append(s->readAll());
            const int end = pending->indexOf("\r\n\r\n");
            if (end < 0)
                return;
            Request r;
            const QList<QByteArray> lines = pending->left(end).split('\n');
            const QList<QByteArray> first = lines.value(0).trimmed().split(' ');
            r.method = first.value(0);
            QByteArray target = first.value(1);
            for (int i = 1; i < lines.size(); ++i) {
                const int c = lines[i].indexOf(':');
                if (c > 0)
                    r.headers.insert(lines[i].left(c).trimmed().toLower(), lines[i].mid(c + 1).trimmed());
            }
            const int length = r.headers.value("content-length", "0").toInt();
            if (pending->size() < end + 4 + length)
                return;
            r.body = pending->mid(end + 4, length);
            pending->clear();
            if (target.startsWith("http://")) {
                r.viaProxy = true;
                target = target.mid(target.indexOf('/', 7));
            }
            QString path = QString::fromLatin1(target);
            const int q = path.indexOf(u'?');
            if (q >= 0) {
                r.query = path.mid(q + 1);
                path = path.left(q);
            }
            // Pages of the service by their name under /etaxnew/; any other file by its path.
            r.page = path.contains(QStringLiteral("/etaxnew/")) ? path.section(QStringLiteral("/etaxnew/"), 1) : path.mid(1);
            requests << r;
            handle(s, r);
        });
    }
}

void EpaySim::handle(QTcpSocket* s, const Request& r)
{
    const Handler h = pages.value(r.page);
    const Reply reply = h ? h(r) : Reply{Reply::Page, "<html><body>Not found</body></html>"};
    ++served;
    if (reply.kind == Reply::Hang)
        return;   // keeps the connection open and never answers
    const QByteArray head = "HTTP/1.1 200 OK\r\nContent-Type: " + reply.contentType + "\r\nContent-Length: "
                            + QByteArray::number(reply.kind == Reply::Truncate ? reply.body.size() * 2 : reply.body.size())
                            + "\r\nConnection: close\r\n\r\n";
    if (reply.kind == Reply::Drip) {
        s->write(head);
        auto* t = new QTimer(s);
        connect(t, &QTimer::timeout, s, [s, t, body = reply.body, at = qsizetype(0)]() mutable {
            if (at < body.size())
                s->write(body.mid(at++, 1));
            else
                t->stop(), s->disconnectFromHost();
        });
        t->start(250);
        return;
    }
    s->write(head + reply.body);
    s->flush();
    s->disconnectFromHost();
}

} // namespace qel::test
