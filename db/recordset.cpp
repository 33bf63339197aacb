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

Recordset::Recordset() = default;
Recordset::~Recordset() { close(); }

bool Recordset::open(const Sql& source, Connection* db, CommandType type)
{
    close();
    m_error = {};
    if (!db || !db->handle()) {
        m_error = {3709, QStringLiteral("The connection cannot be used to perform this operation. It is either closed or invalid in this context."),
                   QString::fromLatin1(kDriverSource)};
        return false;
    }
    if (!db->query(type == Table ? Sql("Select * from ") + source : source)) {
        m_error = db->lastError();
        return false;
    }
    MYSQL* m = db->handle();
    m_res = mysql_store_result(m);
    if (!m_res) {
        if (mysql_field_count(m) != 0) {
            db->takeError();
            m_error = db->lastError();
        } else {
            m_error = {3704, QStringLiteral("Operation is not allowed when the object is closed."), QString::fromLatin1(kDriverSource)};
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
    m_count = int(mysql_num_rows(m_res));
    m_pos = 0;
    fetch();
    return true;
}

void Recordset::fetch()
{
    m_row = m_pos < m_count ? mysql_fetch_row(m_res) : nullptr;
    m_lengths = m_row ? mysql_fetch_lengths(m_res) : nullptr;
    if (m_convert && m_row) {
        m_convert->values.resize(m_names.size());
        for (int i = 0; i < m_names.size(); ++i)
            m_convert->values[i] = m_row[i] ? m_convert->codec.decode(QByteArrayView(m_row[i], qsizetype(m_lengths[i]))).toUtf8()
                                            : QByteArray();
    }
}

void Recordset::close()
{
    if (m_res)
        mysql_free_result(m_res);
    m_res = nullptr;
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
    m_error = {3265, QStringLiteral("Item cannot be found in the collection corresponding to the requested name or ordinal."),
               QString::fromLatin1(kDriverSource)};
    return -1;
}

QString Recordset::value(int index) const { return QString::fromUtf8(raw(index)); }

QByteArrayView Recordset::raw(int index) const
{
    if (!m_row || index < 0 || index >= m_names.size() || !m_row[index])
        return {};
    if (m_convert)
        return m_convert->values[index];
    return QByteArrayView(m_row[index], qsizetype(m_lengths[index]));
}

QString Recordset::field(const QString& name)
{
    return value(fieldIndex(name));
}

} // namespace qel
