#include "AtomicFile.h"

#include <QFile>
#include <QRandomGenerator>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace AtomicFile {

namespace {

QString systemError(int iErrno)
{
    return QString::fromLocal8Bit(std::strerror(iErrno));
}

bool writeAll(int fd, const char *data, qint64 size)
{
    while (size > 0) {
        const ssize_t written = ::write(fd, data, size_t(qMin<qint64>(size, qint64(1) << 30)));
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        if (written == 0) {
            errno = EIO;
            return false;
        }
        data += written;
        size -= written;
    }
    return true;
}

// The file a path finally names: every link along the way followed, also
// when the last one names a file that does not exist yet. A loop of links
// (or one too long) is an error.
bool resolveLinks(QByteArray *pPath, int *pErrno)
{
    for (int hops = 0; hops < 40; ++hops) {
        char target[4096];
        const ssize_t n = ::readlink(pPath->constData(), target, sizeof target - 1);
        if (n < 0) {
            if (errno == EINVAL || errno == ENOENT)
                return true; // not a link (or nothing there yet): this is the file
            *pErrno = errno;
            return false;
        }
        QByteArray next(target, n);
        if (!next.startsWith('/')) {
            const qsizetype slash = pPath->lastIndexOf('/');
            next = (slash >= 0 ? pPath->left(slash + 1) : QByteArray()) + next;
        }
        *pPath = next;
    }
    *pErrno = ELOOP;
    return false;
}

// Our temporary files are "<name>.<random>.tmp" beside the target, locked
// while a save writes them. One nobody holds was left by a save that was
// killed: it is removed, as long as it is a plain file of this user.
void removeStaleTemporaries(const QByteArray &target)
{
    const qsizetype slash = target.lastIndexOf('/');
    const QByteArray folder = slash > 0 ? target.left(slash) : slash == 0 ? QByteArray("/") : QByteArray(".");
    const QByteArray prefix = target.mid(slash + 1) + '.';
    DIR *pDir = ::opendir(folder.constData());
    if (!pDir)
        return;
    const int dirFd = ::dirfd(pDir);
    while (const dirent *pEntry = ::readdir(pDir)) {
        const QByteArray name(pEntry->d_name);
        if (!name.startsWith(prefix) || !name.endsWith(".tmp"))
            continue;
        const QByteArray random = name.mid(prefix.size(), name.size() - prefix.size() - 4);
        if (random.isEmpty() || random.size() > 7
            || !std::all_of(random.begin(), random.end(), [](char c) { return std::isdigit(uchar(c)) || std::islower(uchar(c)); }))
            continue;
        const int fd = ::openat(dirFd, name.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0)
            continue;
        struct stat st;
        if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_uid == ::geteuid()
            && ::flock(fd, LOCK_EX | LOCK_NB) == 0)
            ::unlinkat(dirFd, name.constData(), 0);
        ::close(fd);
    }
    ::closedir(pDir);
}

} // namespace

bool Write(const QString &path, const QByteArray &bytes, QString *pError)
{
    return Write(
        path, [&bytes](int fd, QString *) { return writeAll(fd, bytes.constData(), bytes.size()); }, pError);
}

bool Write(const QString &path, const std::function<bool(int fd, QString *pError)> &fill, QString *pError)
{
    // A link is written through, as editors do: the file at the end of the
    // chain of links is replaced, and the links stay as they are.
    QByteArray targetName = QFile::encodeName(path);
    int iLinkErrno = 0;
    if (!resolveLinks(&targetName, &iLinkErrno)) {
        *pError = systemError(iLinkErrno);
        return false;
    }
    struct stat existing;
    const bool bExists = ::stat(targetName.constData(), &existing) == 0;
    if (bExists && !S_ISREG(existing.st_mode)) {
        *pError = QStringLiteral("It is not a regular file.");
        return false;
    }
    removeStaleTemporaries(targetName);

    // Created with the usual permissions (the umask applies), or the old
    // file's own.
    QByteArray tempName;
    int fd = -1;
    for (int attempt = 0; attempt < 16 && fd < 0; ++attempt) {
        tempName = targetName + '.' + QByteArray::number(QRandomGenerator::global()->generate(), 36) + ".tmp";
        fd = ::open(tempName.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST)
            break;
        // Held while it is written, so that another save sees it is alive.
        // Another save may have taken it for stale just before the lock.
        struct stat st;
        if (fd >= 0 && (::flock(fd, LOCK_EX) != 0 || ::fstat(fd, &st) != 0 || st.st_nlink == 0)) {
            ::close(fd);
            fd = -1;
            errno = EEXIST;
        }
    }
    if (fd < 0) {
        *pError = systemError(errno);
        return false;
    }
    auto abandon = [&](int iErrno) {
        ::close(fd);
        ::unlink(tempName.constData());
        *pError = systemError(iErrno);
        return false;
    };
    // The old file's owner and group where the system lets us give them
    // (the group usually, the owner only with privileges), then its mode.
    if (bExists) {
        if (::fchown(fd, existing.st_uid, existing.st_gid) != 0)
            (void)!::fchown(fd, uid_t(-1), existing.st_gid);
        if (::fchmod(fd, existing.st_mode & 07777) != 0)
            return abandon(errno);
    }
    errno = 0;
    QString fillError;
    if (!fill(fd, &fillError)) {
        if (fillError.isEmpty())
            return abandon(errno ? errno : EIO);
        abandon(0);
        *pError = fillError;
        return false;
    }
    // A full disk may only show when the data is flushed.
    if (::fsync(fd) != 0 && errno != EINVAL)
        return abandon(errno);
    // Renamed while still locked, so that no other save takes it for a
    // stale one in between; the data is on the disk already.
    if (::rename(tempName.constData(), targetName.constData()) != 0)
        return abandon(errno);
    if (::close(fd) != 0) {
        *pError = systemError(errno);
        return false;
    }
    return true;
}

} // namespace AtomicFile
