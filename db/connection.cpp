#include "db/connection.h"
#include <mysql.h>
#include <QStringList>

namespace qel {

Connection::Connection(QObject* parent) : QObject(parent) {}

Connection::~Connection() { close(); }

void Connection::takeError()
{
    if (!m_mysql) {
        m_error = {2006, QStringLiteral("Connection is not open"), QString::fromLatin1(kDriverSource)};
        return;
    }
    m_error.number = int(mysql_errno(m_mysql));
    m_error.description = QString::fromUtf8(mysql_error(m_mysql));
    m_error.source = QString::fromLatin1(kDriverSource);
    if (m_error.number == 0)
        m_error.number = 2000;   // the library failed without a server error number
}

bool Connection::open(const QString& connectionString)
{
    close();
    QString host, socket, user, password;
    unsigned port = 0;
    m_database.clear();
    for (const QString& part : connectionString.split(u';', Qt::SkipEmptyParts)) {
        const int eq = part.indexOf(u'=');
        if (eq < 0)
            continue;
        const QString key = part.left(eq).trimmed().toLower();
        const QString val = part.mid(eq + 1).trimmed();
        if (key == u"server" || key == u"host") host = val;
        else if (key == u"port") port = val.toUInt();
        else if (key == u"socket") socket = val;
        else if (key == u"database" || key == u"db") m_database = val;
        else if (key == u"uid" || key == u"user") user = val;
        else if (key == u"pwd" || key == u"password") password = val;
    }
    MYSQL* m = mysql_init(nullptr);
    if (!m) {
        m_error = {2008, QStringLiteral("Out of memory"), QString::fromLatin1(kDriverSource)};
        return false;
    }
    mysql_options(m, MYSQL_SET_CHARSET_NAME, "utf8mb4");
    const QByteArray h = host.toUtf8(), s = socket.toUtf8(), u = user.toUtf8(), p = password.toUtf8(),
                     d = m_database.toUtf8();
    if (!mysql_real_connect(m, host.isEmpty() ? nullptr : h.constData(), u.isEmpty() ? nullptr : u.constData(),
                            p.constData(), d.isEmpty() ? nullptr : d.constData(), port,
                            s.isEmpty() ? nullptr : s.constData(), 0)) {
        m_error = {int(mysql_errno(m)), QString::fromUtf8(mysql_error(m)), QString::fromLatin1(kDriverSource)};
        mysql_close(m);
        return false;
    }
    m_mysql = m;
    // Quoted values double their backslashes, which is right only while backslash escapes are on.
    Execute(QStringLiteral("SET SESSION sql_mode = REPLACE(@@SESSION.sql_mode, 'NO_BACKSLASH_ESCAPES', '')"));
    m_error = {};
    return true;
}

void Connection::close()
{
    if (m_mysql) {
        mysql_close(m_mysql);
        m_mysql = nullptr;
    }
}

QByteArray Connection::encode(const QString& sql) const
{
    const char* cs = m_mysql ? mysql_character_set_name(m_mysql) : "utf8mb4";
    if (qstrcmp(cs, "latin1") == 0)
        return sql.toLatin1();
    return sql.toUtf8();
}

bool Connection::Execute(const QString& sql, const QByteArray& clientCharset)
{
    if (!m_mysql) {
        takeError();
        return false;
    }
    const QByteArray previous = mysql_character_set_name(m_mysql);
    const bool switchCharset = !clientCharset.isEmpty() && clientCharset != previous;
    if (switchCharset && mysql_set_character_set(m_mysql, clientCharset.constData()) != 0) {
        takeError();
        return false;
    }
    const QByteArray bytes = encode(sql);
    bool ok = mysql_real_query(m_mysql, bytes.constData(), bytes.size()) == 0;
    if (!ok) {
        takeError();
    } else {
        // Drain any result so that the connection is ready for the next statement.
        do {
            if (MYSQL_RES* r = mysql_store_result(m_mysql))
                mysql_free_result(r);
        } while (mysql_next_result(m_mysql) == 0);
    }
    if (switchCharset)
        mysql_set_character_set(m_mysql, previous.constData());
    return ok;
}

} // namespace qel
