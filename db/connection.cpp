#include "db/connection.h"
#include "db/recordset.h"
#include "db/charsets.h"
#include <mysql.h>
#include <errmsg.h>
#include <QFile>
#include <QStringList>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace qel {

namespace {
constexpr int kRefused = 2000;   // CR_UNKNOWN_ERROR, as the library reports a refused file
} // namespace

bool Connection::isLost(int n)
{
    // A TLS connection that the server closed reports the broken TLS stream instead.
    return n == CR_SERVER_GONE_ERROR || n == CR_SERVER_LOST || n == 2055 /* lost, extended */ || n == 1927 /* killed */
           || n == 4031 /* idle timeout */ || n == CR_SSL_CONNECTION_ERROR;
}

ConnectionOptions ConnectionOptions::parse(const QString& connectionString)
{
    ConnectionOptions o;
    for (const QString& part : connectionString.split(u';', Qt::SkipEmptyParts)) {
        const int eq = part.indexOf(u'=');
        if (eq < 0)
            continue;
        const QString key = part.left(eq).trimmed().toLower();
        const QString val = part.mid(eq + 1).trimmed();
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
            const QString m = val.toLower();
            o.tls = m == u"required" ? Tls::Required : m == u"verifyfull" ? Tls::VerifyFull : Tls::Default;
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

// The answers to the server's requests for a file: only the one file of a running loadLocal.
struct InfileHandler {
    struct State {
        const QByteArray* bytes = nullptr;
        qsizetype pos = 0;
        QByteArray refusal;
    };
    static int init(void** ptr, const char* filename, void* userdata)
    {
        auto* c = static_cast<Connection*>(userdata);
        auto* s = new State;
        *ptr = s;
        const QByteArray asked(filename);
        c->m_requests << QString::fromLatin1(asked);
        if (!c->m_infileArmed || asked != c->m_infileName.toLatin1()) {
            s->refusal = "The client refused to send the file " + asked.left(200) + " that the server asked for";
            return 1;
        }
        s->bytes = &c->m_infileBytes;
        return 0;
    }
    static int read(void* ptr, char* buf, unsigned int length)
    {
        auto* s = static_cast<State*>(ptr);
        const qsizetype n = std::min<qsizetype>(length, s->bytes->size() - s->pos);
        std::memcpy(buf, s->bytes->constData() + s->pos, size_t(n));
        s->pos += n;
        return int(n);
    }
    static void end(void* ptr) { delete static_cast<State*>(ptr); }
    static int error(void* ptr, char* buf, unsigned int length)
    {
        const QByteArray msg = ptr ? static_cast<State*>(ptr)->refusal : QByteArray("Unknown error");
        qstrncpy(buf, msg.constData(), length);
        return kRefused;
    }
};

Connection::Connection(QObject* parent) : QObject(parent) {}

Connection::~Connection() { close(); }

void Connection::takeError()
{
    if (!m_mysql) {
        m_error = {CR_SERVER_GONE_ERROR, QStringLiteral("Connection is not open"), QString::fromLatin1(kDriverSource)};
        return;
    }
    m_error.number = int(mysql_errno(m_mysql));
    m_error.description = QString::fromUtf8(mysql_error(m_mysql));
    m_error.source = QString::fromLatin1(kDriverSource);
    if (m_error.number == 0)
        m_error.number = 2000;   // the library failed without a server error number
}

bool Connection::open(const QString& connectionString) { return open(ConnectionOptions::parse(connectionString)); }

bool Connection::open(const ConnectionOptions& options)
{
    close();
    m_options = options;
    return connectNow();
}

bool Connection::connectNow()
{
    close();
    MYSQL* m = mysql_init(nullptr);
    if (!m) {
        m_error = {2008, QStringLiteral("Out of memory"), QString::fromLatin1(kDriverSource)};
        return false;
    }
    const ConnectionOptions& o = m_options;
    mysql_options(m, MYSQL_SET_CHARSET_NAME, "utf8mb4");
    const unsigned timeout = 10;
    mysql_options(m, MYSQL_OPT_CONNECT_TIMEOUT, &timeout);
    // The component's own loads are the only files this client sends (InfileHandler).
    const unsigned localInfile = 1;
    mysql_options(m, MYSQL_OPT_LOCAL_INFILE, &localInfile);
    mysql_set_local_infile_handler(m, &InfileHandler::init, &InfileHandler::read, &InfileHandler::end, &InfileHandler::error, this);
    const QByteArray ca = o.sslCa.toLocal8Bit(), cert = o.sslCert.toLocal8Bit(), key = o.sslKey.toLocal8Bit();
    if (!ca.isEmpty())
        mysql_options(m, MYSQL_OPT_SSL_CA, ca.constData());
    if (!cert.isEmpty())
        mysql_options(m, MYSQL_OPT_SSL_CERT, cert.constData());
    if (!key.isEmpty())
        mysql_options(m, MYSQL_OPT_SSL_KEY, key.constData());
    if (o.tls != ConnectionOptions::Tls::Default) {
        // Required: no TLS, no connection; the credentials are only sent once it is up.
        const my_bool on = 1, verify = o.tls == ConnectionOptions::Tls::VerifyFull;
        mysql_options(m, MYSQL_OPT_SSL_ENFORCE, &on);
        mysql_options(m, MYSQL_OPT_SSL_VERIFY_SERVER_CERT, &verify);
    }
    const QByteArray h = o.host.toUtf8(), s = o.socket.toLocal8Bit(), u = o.user.toUtf8(), p = o.password.toUtf8(),
                     d = o.database.toUtf8();
    if (!mysql_real_connect(m, h.isEmpty() ? nullptr : h.constData(), u.isEmpty() ? nullptr : u.constData(), p.constData(),
                            d.isEmpty() ? nullptr : d.constData(), o.port, s.isEmpty() ? nullptr : s.constData(), 0)) {
        m_error = {int(mysql_errno(m)), QString::fromUtf8(mysql_error(m)), QString::fromLatin1(kDriverSource)};
        mysql_close(m);
        return false;
    }
    m_mysql = m;
    // Values are escaped with backslashes, which is right only while backslash escapes are on.
    const char* mode = "SET SESSION sql_mode = REPLACE(@@SESSION.sql_mode, 'NO_BACKSLASH_ESCAPES', '')";
    mysql_real_query(m, mode, qstrlen(mode));
    m_error = {};
    return true;
}

void Connection::freeForStatement()
{
    if (Recordset* rs = m_streaming)
        rs->takeRest();
}

void Connection::close()
{
    freeForStatement();
    if (m_mysql) {
        mysql_close(m_mysql);
        m_mysql = nullptr;
    }
}

QByteArray Connection::characterSet() const { return m_mysql ? QByteArray(mysql_character_set_name(m_mysql)) : QByteArray("utf8mb4"); }

bool Connection::serverOnThisMachine() const
{
    const QString h = m_options.host.trimmed().toLower();
    return h.isEmpty() || h == u"localhost" || h == u"127.0.0.1" || h == u"::1";
}

bool Connection::render(const Sql& sql, QByteArray* out)
{
    out->clear();
    if (!m_mysql) {
        takeError();
        return false;
    }
    const QByteArray cs = characterSet();
    CharsetCodec codec(cs);
    if (!codec.isValid()) {
        m_error = {2019, QStringLiteral("The connection's character set %1 is not supported").arg(QString::fromLatin1(cs)),
                   QString::fromLatin1(kDriverSource)};
        return false;
    }
    QByteArray escaped;
    for (const Sql::Piece& p : sql.pieces()) {
        QString text = p.text;
        if (p.kind == Sql::Like)
            text.replace(u'\\', QStringLiteral("\\\\"));   // the pattern's own escape
        bool ok = true;
        const QByteArray bytes = codec.encode(text, &ok);
        if (!ok) {
            m_error = {1366, QStringLiteral("The text '%1' holds characters that the connection's character set %2 cannot hold")
                                 .arg(text.left(80), QString::fromLatin1(cs)),
                       QString::fromLatin1(kDriverSource)};
            return false;
        }
        if (p.kind == Sql::Code) {
            *out += bytes;
            continue;
        }
        escaped.resize(2 * bytes.size() + 1);
        const unsigned long n = mysql_real_escape_string(m_mysql, escaped.data(), bytes.constData(), bytes.size());
        out->append(escaped.constData(), qsizetype(n));
    }
    return true;
}

bool Connection::send(const Sql& sql)
{
    QByteArray bytes;
    if (!render(sql, &bytes))
        return false;
    freeForStatement();
    if (mysql_real_query(m_mysql, bytes.constData(), bytes.size()) != 0) {
        takeError();
        return false;
    }
    return true;
}

bool Connection::query(const Sql& sql)
{
    // Once the server is gone, the next statement connects again (once) and is run anew.
    if (!m_mysql && m_options.host.isEmpty() && m_options.socket.isEmpty() && m_options.user.isEmpty()) {
        takeError();
        return false;
    }
    if (m_mysql && send(sql))
        return true;
    if (m_mysql && !isLost(m_error.number))
        return false;
    const QByteArray charset = characterSet();
    const DbError lost = m_mysql ? m_error : DbError{CR_SERVER_GONE_ERROR, QStringLiteral("Connection is not open"), {}};
    if (!connectNow()) {
        m_error = {lost.number,
                   QStringLiteral("The connection to the database server was lost and could not be restored: %1").arg(m_error.description),
                   QString::fromLatin1(kDriverSource)};
        return false;
    }
    if (charset != characterSet())
        mysql_set_character_set(m_mysql, charset.constData());
    return send(sql);
}

bool Connection::Execute(const Sql& sql, const QByteArray& clientCharset)
{
    QByteArray previous;
    if (!clientCharset.isEmpty()) {
        // Reaches the server first (reconnecting when needed), so that the switch lands on the
        // connection that then runs the statement.
        if (!query(Sql("Do 0")))
            return false;
        previous = characterSet();
        if (clientCharset != previous && mysql_set_character_set(m_mysql, clientCharset.constData()) != 0) {
            takeError();
            return false;
        }
    }
    bool ok = query(sql);
    m_warnings.clear();
    m_affected = ok ? qint64(mysql_affected_rows(m_mysql)) : -1;
    if (ok) {
        // Drain any result so that the connection is ready for the next statement.
        do {
            if (MYSQL_RES* r = mysql_store_result(m_mysql))
                mysql_free_result(r);
        } while (mysql_next_result(m_mysql) == 0);
        // Read before anything else runs (which would clear them).
        const char* show = "SHOW WARNINGS LIMIT 10";
        if (mysql_warning_count(m_mysql) && mysql_real_query(m_mysql, show, qstrlen(show)) == 0)
            if (MYSQL_RES* r = mysql_store_result(m_mysql)) {
                while (MYSQL_ROW row = mysql_fetch_row(r))
                    m_warnings.append({QByteArray(row[1]).toInt(), QString::fromUtf8(row[2]), QString::fromLatin1(kDriverSource)});
                mysql_free_result(r);
            }
    }
    if (!previous.isEmpty() && m_mysql && previous != characterSet())
        mysql_set_character_set(m_mysql, previous.constData());
    return ok;
}

bool Connection::loadLocal(const Sql& statement, const QString& fileName, const QByteArray& bytes, const QByteArray& clientCharset)
{
    m_infileArmed = true;
    m_infileName = fileName;
    m_infileBytes = bytes;
    const bool ok = Execute(statement, clientCharset);
    m_infileArmed = false;
    m_infileName.clear();
    m_infileBytes.clear();
    return ok;
}

} // namespace qel
