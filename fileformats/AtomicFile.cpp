#include "AtomicFile.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
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

} // namespace

bool Write(const QString &path, const QByteArray &bytes, QString *pError)
{
    return Write(
        path, [&bytes](int fd, QString *) { return writeAll(fd, bytes.constData(), bytes.size()); }, pError);
}

bool Write(const QString &path, const std::function<bool(int fd, QString *pError)> &fill, QString *pError)
{
    // A link is written through, as editors do: the file it names is replaced.
    QString target = path;
    const QFileInfo info(path);
    if (info.isSymLink() && !info.symLinkTarget().isEmpty())
        target = info.symLinkTarget();
    const QByteArray targetName = QFile::encodeName(target);
    struct stat existing;
    const bool bExists = ::stat(targetName.constData(), &existing) == 0;
    if (bExists && !S_ISREG(existing.st_mode)) {
        *pError = QStringLiteral("It is not a regular file.");
        return false;
    }

    // Created with the usual permissions (the umask applies), or the old
    // file's own.
    QByteArray tempName;
    int fd = -1;
    for (int attempt = 0; attempt < 16 && fd < 0; ++attempt) {
        tempName = targetName + '.' + QByteArray::number(QRandomGenerator::global()->generate(), 36) + ".tmp";
        fd = ::open(tempName.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST)
            break;
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
    if (bExists && ::fchmod(fd, existing.st_mode & 07777) != 0)
        return abandon(errno);
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
    if (::close(fd) != 0) {
        const int iErrno = errno;
        ::unlink(tempName.constData());
        *pError = systemError(iErrno);
        return false;
    }
    if (::rename(tempName.constData(), targetName.constData()) != 0) {
        const int iErrno = errno;
        ::unlink(tempName.constData());
        *pError = systemError(iErrno);
        return false;
    }
    return true;
}

} // namespace AtomicFile
