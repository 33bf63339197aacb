#include "db/connection.h"
#include <QFile>
#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace qel {

namespace {
// "VerifyFull", "verify-full", "VERIFY_FULL": one name, whatever the case and separators.
QString folded(const QString& s)
{
    QString f = s.trimmed().toLower();
    f.remove(u'-');
    f.remove(u'_');
    return f;
}

bool parseTls(const QString& value, ConnectionOptions::Tls* tls)
{
    const QString m = folded(value);
    if (m == u"required" || m == u"require")
        *tls = ConnectionOptions::Tls::Required;
    else if (m == u"verifyfull" || m == u"verifyidentity")
        *tls = ConnectionOptions::Tls::VerifyFull;
    else if (m == u"none" || m == u"disabled" || m == u"preferred")
        *tls = ConnectionOptions::Tls::Default;
    else
        return false;
    return true;
}

bool parseSeconds(const QString& value, unsigned* seconds)
{
    bool ok = false;
    const unsigned n = value.toUInt(&ok);
    if (ok && n > 0)
        *seconds = n;
    return ok && n > 0;
}
} // namespace

ConnectionOptions ConnectionOptions::parse(const QString& connectionString)
{
    ConnectionOptions o;
    const auto refuse = [&o](const QString& why) {
        if (o.invalid.isEmpty())
            o.invalid = why;
    };
    for (const QString& part : connectionString.split(u';', Qt::SkipEmptyParts)) {
        if (part.trimmed().isEmpty())
            continue;
        const int eq = part.indexOf(u'=');
        const QString key = folded(eq < 0 ? part : part.left(eq));
        const QString val = eq < 0 ? QString() : part.mid(eq + 1).trimmed();
        if (key == u"server" || key == u"host") o.host = val;
        else if (key == u"port") o.port = val.toUInt();
        else if (key == u"socket") o.socket = val;
        else if (key == u"database" || key == u"db") o.database = val;
        else if (key == u"uid" || key == u"user") o.user = val;
        else if (key == u"pwd" || key == u"password") o.password = val;
        else if (key == u"sslca") o.sslCa = val;
        else if (key == u"sslcert") o.sslCert = val;
        else if (key == u"sslkey") o.sslKey = val;
        else if (key == u"sslmode") {
            if (!parseTls(val, &o.tls))
                refuse(QStringLiteral("SslMode=%1 is not a TLS mode; write SslMode=Required or SslMode=VerifyFull").arg(val.left(40)));
        } else if (key == u"readtimeout" || key == u"writetimeout" || key == u"loadtimeout") {
            unsigned* t = key == u"readtimeout" ? &o.readTimeout : key == u"writetimeout" ? &o.writeTimeout : &o.loadTimeout;
            if (!parseSeconds(val, t))
                refuse(QStringLiteral("%1 must be a number of seconds").arg(part.left(eq).trimmed()));
        } else {
            refuse(QStringLiteral("The connection string has an unknown key \"%1\"").arg(part.left(eq < 0 ? 40 : eq).trimmed().left(40)));
        }
    }
    return o;
}

bool ConnectionOptions::readFile(const QString& path, QString* connectionString, QString* error)
{
    const auto fail = [&](const QString& why) {
        if (error)
            *error = path + QStringLiteral(": ") + why;
        return false;
    };
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return fail(QString::fromLocal8Bit(strerror(errno)));
    if (!S_ISREG(st.st_mode))
        return fail(QStringLiteral("not a regular file"));
    if (st.st_uid != geteuid())
        return fail(QStringLiteral("belongs to another user"));
    if (st.st_mode & (S_IRWXG | S_IRWXO))
        return fail(QStringLiteral("other users can read or change it; make it private with chmod 600"));
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return fail(f.errorString());
    for (const QByteArray& line : f.read(64 * 1024).split('\n')) {
        const QString t = QString::fromUtf8(line).trimmed();
        if (!t.isEmpty() && !t.startsWith(u'#')) {
            *connectionString = t;
            return true;
        }
    }
    return fail(QStringLiteral("holds no connection string"));
}

} // namespace qel
