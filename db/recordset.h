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

// A recordset over one query. Field names are matched without regard to case and every value
// is read as text (NULL reads as the empty string), in UTF-8 whatever the connection's
// character set.
//
// A client-side recordset fetches the whole result when it opens, so the record count is known
// before the first row is read. A streamed one reads the rows from the server as it moves, so
// only one row is held at a time; its record count is -1 (unknown). While it streams, the
// connection is busy with it: any other statement on that connection first reads the rest of
// the rows into the recordset, which then goes on from there as a client-side one would.
class Recordset {
public:
    enum CommandType { Text = 1, Table = 2 };
    enum Cursor { ClientSide, Streamed };

    Recordset();
    ~Recordset();
    Recordset(const Recordset&) = delete;
    Recordset& operator=(const Recordset&) = delete;

    bool open(const Sql& source, Connection* db, CommandType type = Text, Cursor cursor = ClientSide);
    void close();
    bool isOpen() const { return m_open; }
    int recordCount() const { return m_count; }
    bool eof() const { return !m_row; }
    bool bof() const { return !m_open || (m_pos == 0 && !m_row); }
    void moveNext();

    int fieldCount() const { return m_names.size(); }
    // Index of a field by name, or -1 (and lastError set) when there is none.
    int fieldIndex(const QString& name);
    QString value(int index) const;
    // The value's UTF-8 bytes (valid until the next move); empty for NULL.
    QByteArrayView raw(int index) const
    {
        if (!m_row || index < 0 || index >= m_names.size() || !m_row[index])
            return {};
        return m_convert ? converted(index) : QByteArrayView(m_row[index], qsizetype(m_lengths[index]));
    }
    QString field(const QString& name);
    // The current row's values (nullptr for NULL) and their lengths, for reading many fields of
    // it at once; nullptr where only raw() can read them (text converted on the way, no row).
    const char* const* rowValues() const { return m_convert ? nullptr : m_row; }
    const unsigned long* rowLengths() const { return m_lengths; }

    const DbError& lastError() const { return m_error; }
    // Whether a streamed recordset came to its end early because reading failed (lastError says why).
    bool readFailed() const { return m_readFailed; }

private:
    friend class Connection;
    void fetch();
    QByteArrayView converted(int index) const;
    // Frees the server's result; a streamed one is read to its end first (by the driver).
    void freeResult();
    // A streamed result that gave no further row: noted as failed when the connection failed.
    void endStream();
    // The rest of a streamed result, read now so that the connection can run another statement.
    void takeRest();
    class Converter;
    struct Rest;

    bool m_open = false;
    bool m_readFailed = false;
    Connection* m_streaming = nullptr;   // the connection whose rows this recordset reads as it moves
    std::unique_ptr<Rest> m_rest;
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
