#include "verify/pantancommon.h"
#include "core/settings.h"
#include <QStringEncoder>

namespace qel::pantan {

QString serviceCode(const QString& request)
{
    if (request.startsWith(QStringLiteral("PAN:")))
        return QStringLiteral("280");
    if (request.startsWith(QStringLiteral("TAN:")))
        return QStringLiteral("281");
    return QString();
}

QString kind(const QString& serviceCode) { return serviceCode == u"280" ? QStringLiteral("PAN") : QStringLiteral("TAN"); }

QString majorHead(const QString& identifier)
{
    return identifier.mid(3, 1) == u"C" ? QStringLiteral("0020") : QStringLiteral("0021");
}

QString assessmentStartYear(const QDate& today)
{
    return QString::number(today.month() <= 3 ? today.year() - 1 : today.year());
}

QString assessmentYear(const QDate& today)
{
    const int end = today.month() <= 3 ? today.year() : today.year() + 1;
    return assessmentStartYear(today) + u'-' + QStringLiteral("%1").arg(end % 100, 2, 10, QLatin1Char('0'));
}

QString baseAddress()
{
    QString base = Config::value(Config::BaseAddress);
    if (!base.endsWith(u'/'))
        base += u'/';
    return base;
}

QString dummyEmail() { return Config::value(Config::DummyEmail); }

QString bankOption()
{
    return Config::value(Config::BankOption);
}

int timeoutMs()
{
    return Config::milliseconds(Config::VerifyTimeout);
}

QString DecodeHtml(const QString& text)
{
    QString s = text;
    s.replace(QStringLiteral("&amp;"), QStringLiteral("&"));
    s.replace(QStringLiteral("&apos;"), QStringLiteral("'"));
    s.replace(QStringLiteral("&quot;"), QStringLiteral("\""));
    s.replace(QStringLiteral("&gt;"), QStringLiteral(">"));
    s.replace(QStringLiteral("&lt;"), QStringLiteral("<"));
    return s;
}

QString UrlEncode(const QString& text)
{
    static const QString kept = QStringLiteral(".-*()!'~");
    QString out;
    for (QChar c : text) {
        const ushort u = c.unicode();
        if ((u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z') || (u >= '0' && u <= '9') || kept.contains(c)) {
            out += c;
            continue;
        }
        // The character's byte in Windows-1252; one outside that code page goes as "?".
        QStringEncoder cp1252("windows-1252");
        const QByteArray b = cp1252.encode(QString(c));
        const uint byte = cp1252.hasError() || b.size() != 1 ? uint('?') : uint(uchar(b[0]));
        out += u'%' + QStringLiteral("%1").arg(byte, 2, 16, QLatin1Char('0')).toUpper();
    }
    return out;
}

QString valueAfter(const QString& page, const QString& key, qsizetype skip)
{
    const qsizetype at = page.indexOf(key, 0, Qt::CaseInsensitive);
    if (at < 0)
        return QString();
    const qsizetype from = at + (skip < 0 ? key.size() : skip);
    const qsizetype end = page.indexOf(u'"', from);
    return end < 0 ? page.mid(from) : page.mid(from, end - from);
}

} // namespace qel::pantan
