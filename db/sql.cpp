#include "db/sql.h"

namespace qel {

namespace {
Sql& add(QVector<Sql::Piece>& pieces, Sql& self, Sql::Kind kind, const QString& text)
{
    // Neighbouring code joins up; values stay pieces of their own.
    if (kind == Sql::Code && !pieces.isEmpty() && pieces.last().kind == Sql::Code)
        pieces.last().text += text;
    else
        pieces.append({kind, text});
    return self;
}
} // namespace

Sql& Sql::code(const QString& text) { return add(m_pieces, *this, Code, text); }

Sql& Sql::value(const QString& text) { return add(m_pieces, *this, Value, text); }

Sql& Sql::like(const QString& text) { return add(m_pieces, *this, Like, text); }

Sql Sql::equals(const QString& column, const QString& value)
{
    return Sql(column + QStringLiteral("='")).value(value).code(QStringLiteral("'"));
}

Sql& Sql::append(const Sql& other)
{
    for (const Piece& p : other.m_pieces)
        add(m_pieces, *this, p.kind, p.text);
    return *this;
}

QString Sql::display() const
{
    QString out;
    for (const Piece& p : m_pieces) {
        if (p.kind == Code) {
            out += p.text;
            continue;
        }
        QString v = p.text;
        if (p.kind == Like)
            v.replace(u'\\', QStringLiteral("\\\\"));
        out += v.replace(u'\\', QStringLiteral("\\\\")).replace(u'\'', QStringLiteral("''"));
    }
    return out;
}

} // namespace qel
