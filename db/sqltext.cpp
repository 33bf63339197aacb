#include "db/sqltext.h"

namespace qel {

namespace {
QString quoted(const QString& value, int backslashes)
{
    QString out;
    out.reserve(value.size() + 4);
    for (QChar c : value) {
        if (c == u'\'')
            out += c;
        else if (c == u'\\')
            out += QString(backslashes - 1, c);
        out += c;
    }
    return out;
}
} // namespace

QString sqlText(const QString& value) { return quoted(value, 2); }

QString sqlLikeText(const QString& value) { return quoted(value, 4); }

} // namespace qel
