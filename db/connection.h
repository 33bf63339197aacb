#pragma once
#include <QObject>
#include <QString>
#include "db/dberror.h"

struct st_mysql;

namespace qel {

// An open connection to a MySQL-compatible server. The component never opens the host's
// connection itself; the host (or the demo host) opens one and hands it over.
//
// Connection strings are "Key=Value;" lists: Server, Port, Socket, Database, Uid, Pwd.
class Connection : public QObject {
    Q_OBJECT
public:
    explicit Connection(QObject* parent = nullptr);
    ~Connection() override;

    bool open(const QString& connectionString);
    void close();
    bool isOpen() const { return m_mysql != nullptr; }

    // Runs a statement that returns no records. With clientCharset set, the statement is sent
    // (and its literals read by the server) in that character set, and the session's own is
    // restored afterwards.
    Q_INVOKABLE bool Execute(const QString& sql, const QByteArray& clientCharset = {});

    const DbError& lastError() const { return m_error; }
    QString databaseName() const { return m_database; }

    // For the recordset.
    st_mysql* handle() const { return m_mysql; }
    QByteArray encode(const QString& sql) const;
    void takeError();

private:
    st_mysql* m_mysql = nullptr;
    DbError m_error;
    QString m_database;
};

} // namespace qel
