#pragma once
#include <QObject>
#include <QString>
#include <QHash>
#include <QStringList>
#include "dberror.h"
#include "qelrefdesk_export.h"
#include "sql.h"

struct st_mysql;

namespace qel {

class Recordset;

// Where and how to connect. Connection strings are "Key=Value;" lists:
//   Server (or Host), Port, Socket, Database, Uid (or User), Pwd (or Password);
//   SslMode=Required     encrypt, and refuse a server that cannot (the password never goes in clear)
//   SslMode=VerifyFull   the same, and the server's certificate must be signed by SslCa and name the host
//   SslCa, SslCert, SslKey  file names of the CA certificate and of a client certificate and key
//   ReadTimeout, WriteTimeout  seconds a statement may wait for the server (default 30)
//   LoadTimeout  seconds a bulk load may wait for the server (default 600)
// Key names and SslMode values are read without regard to case ("verify-full" and "verify_full"
// too). An unknown key or SslMode value makes the string invalid: a connection with it is refused.
struct QELREFDESK_EXPORT ConnectionOptions {
    enum class Tls { Default, Required, VerifyFull };
    QString host, socket, user, password, database;
    unsigned port = 0;
    Tls tls = Tls::Default;
    QString sslCa, sslCert, sslKey;
    unsigned readTimeout = 30, writeTimeout = 30, loadTimeout = 600;
    QString invalid;   // why the string cannot be used; empty when it can

    static ConnectionOptions parse(const QString& connectionString);
    // A connection string kept in a file: it must belong to the user and be readable by nobody
    // else (mode 600), since it may hold a password. Lines starting with "#" are comments.
    static bool readFile(const QString& path, QString* connectionString, QString* error);
};

// An open connection to a MySQL-compatible server. The component never opens the host's
// connection itself; the host (or the demo host) opens one and hands it over.
//
// Statements go to the server in the connection's character set, whatever a SET NAMES last
// made it; their values are escaped by that character set's rules, which are checked against
// the server's own after connecting and after the host's statements. A statement that finds the
// connection lost, or that waited longer than the read timeout, reconnects once and runs again.
class QELREFDESK_EXPORT Connection : public QObject {
    Q_OBJECT
public:
    explicit Connection(QObject* parent = nullptr);
    ~Connection() override;

    bool open(const QString& connectionString);
    bool open(const ConnectionOptions& options);
    void close();
    bool isOpen() const { return m_mysql != nullptr; }

    // Runs a statement that returns no records. With clientCharset set, the statement is sent
    // (and its values read by the server) in that character set, and the session's own is
    // restored afterwards.
    bool Execute(const Sql& sql, const QByteArray& clientCharset = {});
    // The host's own statement, as it wrote it. A SET NAMES in it is followed: values are
    // escaped for the character set the server then reads.
    Q_INVOKABLE bool Execute(const QString& sql);

    // A "load data local infile" statement whose file the server asks this client for: the
    // client answers with bytes when the server asks for exactly fileName, and refuses any other
    // name. Outside such a statement every request of the server for a file is refused.
    bool loadLocal(const Sql& statement, const QString& fileName, const QByteArray& bytes,
                   const QByteArray& clientCharset = {});
    // The file names the server asked for during loads and other statements (for the tests).
    QStringList fileRequests() const { return m_requests; }

    const DbError& lastError() const { return m_error; }
    // The warnings of the last load that loadLocal ran (the first few of them; other statements'
    // warnings are not read, which would cost a round trip each).
    const QList<DbError>& warnings() const { return m_warnings; }
    // Whether the account holds a global right ("RELOAD"), asked of the server once per
    // connection made.
    bool hasGlobalRight(const QByteArray& right);
    // The rows the last statement that Execute ran inserted, changed or deleted (-1: unknown).
    qint64 affectedRows() const { return m_affected; }
    QString databaseName() const { return m_options.database; }
    const ConnectionOptions& options() const { return m_options; }
    // Whether the server is on this machine (a unix socket or a loopback address), so that it
    // may be able to read the files the component writes.
    bool serverOnThisMachine() const;
    // The connection's character set as the server knows it ("utf8mb4", "gbk").
    QByteArray characterSet() const;

    // For the recordset: sends a query (reconnecting once when the connection was lost);
    // afterwards the result waits on handle().
    bool query(const Sql& sql);
    st_mysql* handle() const { return m_mysql; }
    // The statement's bytes in the connection's character set, values escaped; false (and
    // lastError set) when a value holds a character that character set cannot write.
    bool render(const Sql& sql, QByteArray* out);
    void takeError();
private:
    bool connectNow();
    bool connectTo(st_mysql* m);
    // Sets the character set on the server and in the client library alike, and checks that the
    // server took it: values are escaped by the rules of the set that the server then reads.
    bool agreeCharset(const QByteArray& charset);
    // The server's character set for statements, when the client library believes another.
    bool charsetDrifted();
    void setReadTimeout(unsigned seconds);
    // Gives up the connection, keeping the error that made it unusable; false.
    bool closeKeepingError();
    bool send(const Sql& sql);
    // A streamed recordset still reading from the server reads the rest of its rows now.
    void freeForStatement();
    friend struct InfileHandler;
    friend class Recordset;

    st_mysql* m_mysql = nullptr;
    ConnectionOptions m_options;
    DbError m_error;
    // The one file the server may have during loadLocal.
    bool m_infileArmed = false;
    QString m_infileName;
    QByteArray m_infileBytes;
    QStringList m_requests;
    QList<DbError> m_warnings;
    bool m_readWarnings = false;      // within loadLocal
    QHash<QByteArray, bool> m_rights;   // hasGlobalRight's answers on this connection
    qint64 m_affected = -1;
    Recordset* m_streaming = nullptr;
    QByteArray m_serverCharset;   // the server's character_set_client, as last read
};


} // namespace qel
