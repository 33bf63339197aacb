#pragma once
#include <QString>
#include <QVector>
#include "qelrefdesk_export.h"

namespace qel {

// A statement as the component builds it: SQL text, with values placed between the quotes the
// text holds. The values are not escaped here but by the connection that sends the statement,
// in the character set it is sent in, so that no value can end its quotes whatever that
// character set is.
//
//     Sql("Select * from T Where City='").value(city).code("'")
class QELREFDESK_EXPORT Sql {
public:
    enum Kind { Code, Value, Like };
    struct Piece {
        Kind kind;
        QString text;
    };

    Sql() = default;
    Sql(const QString& code) { this->code(code); }   // NOLINT: plain statements read as text
    Sql(const char* code) { this->code(QString::fromUtf8(code)); }   // NOLINT

    Sql& code(const QString& text);
    // The text of a string literal (the caller writes the quotes around it).
    Sql& value(const QString& text);
    // The same inside a like pattern, where a backslash is the pattern's escape: a typed
    // backslash matches a backslash; "%" and "_" stay wildcards.
    Sql& like(const QString& text);
    Sql& append(const Sql& other);
    // column='value', the value escaped by the sending connection as any other.
    static Sql equals(const QString& column, const QString& value);

    Sql& operator+=(const Sql& other) { return append(other); }
    friend Sql operator+(Sql a, const Sql& b) { return a.append(b); }

    bool isEmpty() const { return m_pieces.isEmpty(); }
    const QVector<Piece>& pieces() const { return m_pieces; }
    // The statement as it reads with every value quoted by the standard rules (quotes and
    // backslashes doubled); for logs and tests, never for sending.
    QString display() const;

private:
    QVector<Piece> m_pieces;
};

} // namespace qel
