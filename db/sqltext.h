#pragma once
#include <QString>

namespace qel {

// Text that goes between single quotes in a statement: every single quote doubled (O'NEIL -> O''NEIL),
// and every backslash doubled so that a typed backslash stays a backslash and can never end the quotes.
// "%" and "_" are left alone: in a like pattern they are wildcards on purpose.
QString sqlText(const QString& value);

// The same for a value that goes into a like pattern, where a backslash is also the pattern's own
// escape: a typed backslash is doubled twice so that it matches a backslash.
QString sqlLikeText(const QString& value);

} // namespace qel
