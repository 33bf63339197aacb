#include "core/files.h"
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qel {

namespace {
bool writeAll(int fd, const QByteArray& bytes)
{
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += n;
    }
    return true;
}
} // namespace

bool removeFile(const QString& path)
{
    const QByteArray p = QFile::encodeName(path);
    struct stat st {};
    if (::lstat(p.constData(), &st) != 0)
        return errno == ENOENT;
    if (::unlink(p.constData()) == 0)
        return true;
    // A read-only file in a folder that we may write to is removed; otherwise say we could not.
    if (!S_ISLNK(st.st_mode))
        ::chmod(p.constData(), st.st_mode | S_IWUSR);
    return ::unlink(p.constData()) == 0 || errno == ENOENT;
}

bool CreatedFile::create(const QString& path, const QByteArray& bytes, QString* error, int mode)
{
    m_path = path;
    m_created = false;
    const QByteArray p = QFile::encodeName(path);
    const auto fail = [&](int err) {
        if (error)
            *error = QString::fromLocal8Bit(strerror(err));
        return false;
    };
    if (!removeFile(path))
        return fail(errno);
    const int fd = ::open(p.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode);
    if (fd < 0)
        return fail(errno);
    struct stat st {};
    ::fstat(fd, &st);
    m_device = st.st_dev;
    m_inode = st.st_ino;
    m_created = true;
    ::fchmod(fd, mode);   // the creation mode was narrowed by the umask
    const bool written = writeAll(fd, bytes);
    const int err = errno;
    ::close(fd);
    return written || fail(err ? err : EIO);
}

bool CreatedFile::remove()
{
    if (!m_created)
        return true;
    m_created = false;
    const QByteArray p = QFile::encodeName(m_path);
    struct stat st {};
    if (::lstat(p.constData(), &st) != 0)
        return errno == ENOENT;
    if (quint64(st.st_dev) != m_device || quint64(st.st_ino) != m_inode)
        return false;   // replaced by someone else since: not ours to remove
    return ::unlink(p.constData()) == 0;
}

bool appendToFile(const QString& path, const QByteArray& bytes)
{
    // Without blocking: a FIFO planted at the name would otherwise hold the open until someone
    // reads it. Whatever stands there must be a plain file of this user's.
    const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_APPEND | O_CREAT | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK, 0644);
    if (fd < 0)
        return false;
    struct stat st {};
    bool ok = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_uid == ::geteuid();
    if (ok) {
        ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
        ok = writeAll(fd, bytes);
    }
    ::close(fd);
    return ok;
}

bool othersCanChange(const QString& folder)
{
    // Every folder from this one up to the root: one that another user could write to (and
    // that is not sticky, or not owned by this user or root) lets them swap what lies below.
    QString dir = QFileInfo(folder).absoluteFilePath();
    for (;;) {
        struct stat st {};
        if (::lstat(QFile::encodeName(dir).constData(), &st) != 0)
            return true;
        const bool owned = st.st_uid == ::geteuid() || st.st_uid == 0;
        const bool writable = st.st_mode & (S_IWGRP | S_IWOTH);
        if (!owned || (writable && !(st.st_mode & S_ISVTX)) || S_ISLNK(st.st_mode))
            return true;
        if (dir == u"/" || dir.isEmpty())
            return false;
        dir = QFileInfo(dir).path();
    }
}

} // namespace qel
