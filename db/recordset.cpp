#include "db/recordset.h"
#include "db/charsets.h"
#include "db/connection.h"
#include <mysql.h>

namespace qel {

// A row's values in UTF-8, for a connection that sends another character set.
class Recordset::Converter {
public:
    explicit Converter(const QByteArray& charset) : codec(charset) {}
    CharsetCodec codec;
    QVector<QByteArray> values;
};

// The rows of a streamed result that were read ahead: one text buffer, each field an offset into
// it and a length (-1 for NULL).
struct Recordset::Rest {
    QByteArray text;
    QVector<std::pair<quint32, qint32>> fields;
    qsizetype next = 0;   // the first field of the next row to read
    QVector<char*> row;
    QVector<unsigned long> lengths;
};

Recordset::Recordset() = default;
Recordset::~Recordset() { close(); }

bool Recordset::open(const Sql& source, Connection* db, CommandType type, Cursor cursor)
{
    close();
    m_error = {};
    m_readFailed = false;
    // A connection that was lost is connected again by the query itself.
    if (!db) {
        m_error = {dberr::kNoConnection, QStringLiteral("The connection cannot be used to perform this operation. It is either closed or invalid in this context."),
                   QString::fromLatin1(kDriverSource)};
        return false;
    }
    if (!db->query(type == Table ? Sql("Select * from ") + source : source)) {
        m_error = db->lastError();
        return false;
    }
    MYSQL* m = db->handle();
    m_res = cursor == Streamed ? mysql_use_result(m) : mysql_store_result(m);
    if (!m_res) {
        if (mysql_field_count(m) != 0) {
            db->takeError();
            m_error = db->lastError();
        } else {
            m_error = {dberr::kClosed, QStringLiteral("Operation is not allowed when the object is closed."), QString::fromLatin1(kDriverSource)};
        }
        return false;
    }
    if (!CharsetCodec::isUtf8(db->characterSet()))
        m_convert = std::make_unique<Converter>(db->characterSet());
    const unsigned n = mysql_num_fields(m_res);
    MYSQL_FIELD* fields = mysql_fetch_fields(m_res);
    for (unsigned i = 0; i < n; ++i) {
        const QString name = m_convert ? m_convert->codec.decode(fields[i].name) : QString::fromUtf8(fields[i].name);
        m_names << name;
        m_index.insert(name.toLower(), int(i));
    }
    m_open = true;
    m_pos = 0;
    if (cursor == Streamed) {
        m_count = -1;
        m_streaming = db;
        db->m_streaming = this;
    } else {
        m_count = int(mysql_num_rows(m_res));
    }
    fetch();
    return true;
}

void Recordset::fetch()
{
    if (m_rest) {
        const int n = int(m_names.size());
        m_row = nullptr;
        if (m_rest->next < m_rest->fields.size()) {
            for (int i = 0; i < n; ++i) {
                const auto [at, length] = m_rest->fields[m_rest->next + i];
                m_rest->row[i] = length < 0 ? nullptr : m_rest->text.data() + at;
                m_rest->lengths[i] = length < 0 ? 0 : (unsigned long)length;
            }
            m_rest->next += n;
            m_row = m_rest->row.data();
        }
        m_lengths = m_rest->lengths.data();
    } else if (m_streaming) {
        m_row = mysql_fetch_row(m_res);
        m_lengths = m_row ? mysql_fetch_lengths(m_res) : nullptr;
        if (!m_row)
            endStream();
    } else {
        m_row = m_res && m_pos < m_count ? mysql_fetch_row(m_res) : nullptr;
        m_lengths = m_row ? mysql_fetch_lengths(m_res) : nullptr;
    }
    if (m_convert && m_row) {
        m_convert->values.resize(m_names.size());
        for (int i = 0; i < m_names.size(); ++i)
            m_convert->values[i] = m_row[i] ? m_convert->codec.decode(QByteArrayView(m_row[i], qsizetype(m_lengths[i]))).toUtf8()
                                            : QByteArray();
    }
}

void Recordset::endStream()
{
    // The end of the rows, or of the connection.
    if (mysql_errno(m_streaming->handle()) != 0) {
        m_streaming->takeError();
        m_error = m_streaming->lastError();
        m_readFailed = true;
    }
    freeResult();
}

void Recordset::freeResult()
{
    if (m_res)
        mysql_free_result(m_res);
    m_res = nullptr;
    if (m_streaming)
        m_streaming->m_streaming = nullptr;
    m_streaming = nullptr;
}

void Recordset::takeRest()
{
    // The current row lies in the driver's buffer, which the next read overwrites: it is kept too.
    auto rest = std::make_unique<Rest>();
    const int n = int(m_names.size());
    const auto keep = [&rest, n](char** row, const unsigned long* lengths) {
        for (int i = 0; i < n; ++i) {
            rest->fields.append({quint32(rest->text.size()), row[i] ? qint32(lengths[i]) : -1});
            if (row[i])
                rest->text.append(row[i], qsizetype(lengths[i]));
        }
    };
    if (m_row)
        keep(m_row, m_lengths);
    while (m_res && m_streaming)
        if (MYSQL_ROW row = mysql_fetch_row(m_res))
            keep(row, mysql_fetch_lengths(m_res));
        else
            endStream();
    rest->row.resize(n);
    rest->lengths.resize(n);
    m_rest = std::move(rest);
    const int pos = m_pos;
    fetch();   // the current row again, now from the rows kept
    m_pos = pos;
}

void Recordset::close()
{
    freeResult();
    m_rest.reset();
    m_open = false;
    m_row = nullptr;
    m_lengths = nullptr;
    m_count = m_pos = 0;
    m_names.clear();
    m_index.clear();
    m_convert.reset();
}

void Recordset::moveNext()
{
    if (eof())
        return;
    ++m_pos;
    fetch();
}

int Recordset::fieldIndex(const QString& name)
{
    const auto it = m_index.constFind(name.toLower());
    if (it != m_index.constEnd())
        return *it;
    m_error = {dberr::kItemNotFound, QStringLiteral("Item cannot be found in the collection corresponding to the requested name or ordinal."),
               QString::fromLatin1(kDriverSource)};
    return -1;
}

QString Recordset::value(int index) const { return QString::fromUtf8(raw(index)); }

QByteArrayView Recordset::converted(int index) const { return m_convert->values[index]; }

QString Recordset::field(const QString& name)
{
    return value(fieldIndex(name));
}

} // namespace qel
