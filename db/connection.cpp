#include "db/connection.h"
#include "db/charsets.h"
#include "db/recordset.h"
#include "db/tlsguard.h"
#include <mysql.h>
#include <errmsg.h>
#include <ma_pvio.h>
#include <QStringList>
#include <cstring>

namespace qel {

namespace {
constexpr int kRefused = dberr::kUnknown;   // as the library reports a refused file

// The character set names of the server and of the client library for one set.
bool sameCharset(QByteArray a, QByteArray b)
{
    for (QByteArray* s : {&a, &b})
        if (*s == "utf8")
            *s = "utf8mb3";
    return a == b;
}
} // namespace

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
        m_error.number = dberr::kUnknown;   // the library failed without a server error number
}

bool Connection::open(const QString& connectionString) { return open(ConnectionOptions::parse(connectionString)); }

bool Connection::open(const ConnectionOptions& options)
{
    close();
    m_options = options;
    if (!options.invalid.isEmpty()) {
        m_error = {dberr::kUnknown, options.invalid, QString::fromLatin1(kDriverSource)};
        return false;
    }
    return connectNow();
}

bool Connection::hasGlobalRight(const QByteArray& right)
{
    if (const auto known = m_rights.constFind(right); known != m_rights.constEnd())
        return *known;
    Recordset rs;
    const bool asked = rs.open(Sql("Select count(*) from information_schema.user_privileges where privilege_type = '")
                                   .value(QString::fromLatin1(right))
                                   .code("' and grantee = concat('''', substring_index(current_user(), '@', 1), '''@''', "
                                         "substring_index(current_user(), '@', -1), '''')"),
                               this);
    const bool holds = asked && rs.value(0) != u"0";
    if (asked)
        m_rights.insert(right, holds);
    return holds;
}

bool Connection::connectNow()
{
    close();
    m_rights.clear();
    MYSQL* m = mysql_init(nullptr);
    if (!m) {
        m_error = {dberr::kOutOfMemory, QStringLiteral("Out of memory"), QString::fromLatin1(kDriverSource)};
        return false;
    }
    const ConnectionOptions& o = m_options;
    mysql_options(m, MYSQL_SET_CHARSET_NAME, "utf8mb4");
    const unsigned timeout = 10;
    mysql_options(m, MYSQL_OPT_CONNECT_TIMEOUT, &timeout);
    // A server that stops answering (stopped, or the network gone without a reset) fails the
    // statement after this long instead of holding the window.
    mysql_options(m, MYSQL_OPT_READ_TIMEOUT, &o.readTimeout);
    mysql_options(m, MYSQL_OPT_WRITE_TIMEOUT, &o.writeTimeout);
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
        if (!tlsguard::require(m)) {
            m_error = {dberr::kTlsFailed, QStringLiteral("TLS cannot be enforced: %1").arg(QString::fromUtf8(mysql_error(m))),
                       QString::fromLatin1(kDriverSource)};
            mysql_close(m);
            return false;
        }
    }
    return connectTo(m);
}

bool Connection::connectTo(MYSQL* m)
{
    const ConnectionOptions& o = m_options;
    const QByteArray h = o.host.toUtf8(), s = o.socket.toLocal8Bit(), u = o.user.toUtf8(), p = o.password.toUtf8(),
                     d = o.database.toUtf8();
    tlsguard::reset();
    if (!mysql_real_connect(m, h.isEmpty() ? nullptr : h.constData(), u.isEmpty() ? nullptr : u.constData(), p.constData(),
                            d.isEmpty() ? nullptr : d.constData(), o.port, s.isEmpty() ? nullptr : s.constData(), 0)) {
        m_error = {int(mysql_errno(m)), QString::fromUtf8(mysql_error(m)), QString::fromLatin1(kDriverSource)};
        if (tlsguard::refusedPlainServer())
            m_error = {dberr::kTlsFailed,
                       QStringLiteral("The server offers no TLS, and the connection string requires it (SslMode); nothing was sent"),
                       QString::fromLatin1(kDriverSource)};
        mysql_close(m);
        return false;
    }
    m_mysql = m;
    // Values are escaped with backslashes, which is right only while backslash escapes are on.
    const char* mode = "SET SESSION sql_mode = REPLACE(@@SESSION.sql_mode, 'NO_BACKSLASH_ESCAPES', '')";
    mysql_real_query(m, mode, qstrlen(mode));
    // The server may have set another character set for statements (init_connect): set ours
    // on both sides, so that escaping follows what the server reads.
    if (charsetDrifted() && !agreeCharset("utf8mb4"))
        return closeKeepingError();
    m_error = {};
    return true;
}

bool Connection::closeKeepingError()
{
    const DbError why = m_error;
    close();
    m_error = why;
    return false;
}

bool Connection::charsetDrifted()
{
    const char* q = "Select @@character_set_client";
    MYSQL_RES* r = mysql_real_query(m_mysql, q, qstrlen(q)) == 0 ? mysql_store_result(m_mysql) : nullptr;
    MYSQL_ROW row = r ? mysql_fetch_row(r) : nullptr;
    const QByteArray server = row && row[0] ? QByteArray(row[0]) : QByteArray();
    if (r)
        mysql_free_result(r);
    if (server.isEmpty()) {
        takeError();
        return true;
    }
    m_serverCharset = server;
    return !sameCharset(server, mysql_character_set_name(m_mysql));
}

bool Connection::agreeCharset(const QByteArray& charset)
{
    if (mysql_set_character_set(m_mysql, charset.constData()) != 0) {
        takeError();
        return false;
    }
    if (charsetDrifted() || !CharsetCodec(charset).isValid()) {
        m_error = {dberr::kCharsetUnknown,
                   QStringLiteral("The server reads statements in %1 where the client writes %2; the connection is refused, "
                                  "since values could not be quoted safely")
                       .arg(QString::fromLatin1(m_serverCharset), QString::fromLatin1(charset)),
                   QString::fromLatin1(kDriverSource)};
        return false;
    }
    return true;
}

void Connection::setReadTimeout(unsigned seconds)
{
    // Takes effect at once: the library reads the option for TLS reads and its socket layer
    // keeps its own copy.
    mysql_options(m_mysql, MYSQL_OPT_READ_TIMEOUT, &seconds);
    if (MARIADB_PVIO* pvio = m_mysql->net.pvio; pvio && pvio->methods && pvio->methods->set_timeout)
        pvio->methods->set_timeout(pvio, PVIO_READ_TIMEOUT, int(seconds));
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
        m_error = {dberr::kCharsetUnknown, QStringLiteral("The connection's character set %1 is not supported").arg(QString::fromLatin1(cs)),
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
            m_error = {dberr::kBadString, QStringLiteral("The text '%1' holds characters that the connection's character set %2 cannot hold")
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
    if (m_mysql && !dberr::isLost(m_error.number))
        return false;
    const QByteArray charset = characterSet();
    const DbError lost = m_mysql ? m_error : DbError{CR_SERVER_GONE_ERROR, QStringLiteral("Connection is not open"), {}};
    if (!connectNow()) {
        m_error = {lost.number,
                   QStringLiteral("The connection to the database server was lost and could not be restored: %1").arg(m_error.description),
                   QString::fromLatin1(kDriverSource)};
        return false;
    }
    if (charset != characterSet() && !agreeCharset(charset))
        return closeKeepingError();
    return send(sql);
}

bool Connection::Execute(const QString& sql)
{
    const bool ok = Execute(Sql(sql));
    // The host may have changed the character set (SET NAMES, SET CHARACTER SET): follow the
    // server, or give up the connection when its set is one the client cannot write.
    if (m_mysql && charsetDrifted()) {
        const DbError statement = m_error;
        if (!agreeCharset(m_serverCharset))
            return closeKeepingError();
        m_error = statement;
    }
    return ok;
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
        if (m_readWarnings && mysql_warning_count(m_mysql) && mysql_real_query(m_mysql, show, qstrlen(show)) == 0)
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
    m_infileArmed = m_readWarnings = true;
    m_infileName = fileName;
    m_infileBytes = bytes;
    // The server answers a load when it has stored every row: that may take longer than a search.
    if (m_mysql)
        setReadTimeout(m_options.loadTimeout);
    const bool ok = Execute(statement, clientCharset);
    if (m_mysql)
        setReadTimeout(m_options.readTimeout);
    m_infileArmed = m_readWarnings = false;
    m_infileName.clear();
    m_infileBytes.clear();
    return ok;
}

} // namespace qel
