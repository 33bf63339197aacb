#pragma once
#include <QString>
#include <QByteArrayView>
#include <QHash>
#include "db/dberror.h"
#include "db/sql.h"
#include <memory>

struct st_mysql_res;

namespace qel {

class Connection;

// A client-side recordset: the whole result is fetched when it opens, so the record count is
// known before the first row is read. Field names are matched without regard to case and
// every value is read as text (NULL reads as the empty string), in UTF-8 whatever the
// connection's character set.
class Recordset {
public:
    enum CommandType { Text = 1, Table = 2 };

    Recordset();
    ~Recordset();
    Recordset(const Recordset&) = delete;
    Recordset& operator=(const Recordset&) = delete;

    bool open(const Sql& source, Connection* db, CommandType type = Text);
    void close();
    bool isOpen() const { return m_res != nullptr; }
    int recordCount() const { return m_count; }
    bool eof() const { return !m_res || m_pos >= m_count; }
    bool bof() const { return !m_res || m_count == 0; }
    void moveNext();

    int fieldCount() const { return m_names.size(); }
    // Index of a field by name, or -1 (and lastError set) when there is none.
    int fieldIndex(const QString& name);
    QString value(int index) const;
    // The value's UTF-8 bytes (valid until the next move); empty for NULL.
    QByteArrayView raw(int index) const;
    QString field(const QString& name);

    const DbError& lastError() const { return m_error; }

private:
    void fetch();
    class Converter;

    st_mysql_res* m_res = nullptr;
    char** m_row = nullptr;
    unsigned long* m_lengths = nullptr;
    int m_count = 0;
    int m_pos = 0;
    QStringList m_names;
    QHash<QString, int> m_index;
    DbError m_error;
    std::unique_ptr<Converter> m_convert;   // for a connection whose character set is not UTF-8
};

} // namespace qel
