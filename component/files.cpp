#include "component/files.h"
#include <QFile>

namespace qel {

bool removeFile(const QString& path)
{
    if (!QFile::exists(path))
        return true;
    QFile::setPermissions(path, QFile::permissions(path) | QFileDevice::WriteOwner);
    QFile::remove(path);
    return !QFile::exists(path);
}

} // namespace qel
