#pragma once
#include <QByteArray>
#include <QString>

namespace qel {

// Files the component writes into folders that other people may write to as well (a shared
// documents folder, the temporary folder): whatever stands at the name beforehand (a stale file,
// or a link planted there) is taken away, never followed, and the file is created anew; it is
// removed again only while the name still stands for the file that was created.

// Deletes the entry at path, also a read-only file; a link is removed, not what it points to.
// True when nothing is left there (including when there was nothing to begin with).
bool removeFile(const QString& path);

class CreatedFile {
public:
    // Creates path exclusively (after removing what stood there) and writes bytes into it.
    // mode: the permissions; the server that reads an import file may run as another user.
    bool create(const QString& path, const QByteArray& bytes, QString* error, int mode = 0644);
    // Removes the file when path still names it; false when something else stands there now.
    bool remove();
    bool exists() const { return m_created; }
    QString path() const { return m_path; }

private:
    QString m_path;
    bool m_created = false;
    quint64 m_device = 0, m_inode = 0;
};

// Appends bytes to the file at path, creating it when missing; a link at path is not followed,
// and anything but a plain file of this user's (a FIFO, a device, another user's file) is left
// alone without waiting.
bool appendToFile(const QString& path, const QByteArray& bytes);

// Whether another user could replace what lies in folder: it, or a folder above it, is writable
// by others (and not sticky) or belongs to someone else; a link on the way counts as such.
bool othersCanChange(const QString& folder);

} // namespace qel
