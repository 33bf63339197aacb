#pragma once
#include <QString>

namespace qel {

// Deletes the file at path, also when it is read-only. True when nothing is left there
// (including when there was nothing to begin with).
bool removeFile(const QString& path);

} // namespace qel
