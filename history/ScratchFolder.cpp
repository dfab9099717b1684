#include "ScratchFolder.h"

#include <QDir>
#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const char kInstancePrefix[] = "instance-";

int openNoFollow(const QString &sPath, int iFlags)
{
    const QByteArray path = QFile::encodeName(sPath);
    return ::open(path.constData(), iFlags | O_NOFOLLOW | O_CLOEXEC, 0600);
}

} // namespace

ScratchFolder::~ScratchFolder()
{
    if (m_iLockFd >= 0)
        ::close(m_iLockFd);
}

QString ScratchFolder::DefaultRoot()
{
    return QDir::tempPath() + QStringLiteral("/chromaquillScratch");
}

QString ScratchFolder::LockFileName()
{
    return QStringLiteral("instance.lock");
}

bool ScratchFolder::IsOwnDirectory(const QString &sPath)
{
    struct stat st;
    const QByteArray path = QFile::encodeName(sPath);
    if (::lstat(path.constData(), &st) != 0)
        return false;
    return S_ISDIR(st.st_mode) && st.st_uid == ::getuid();
}

bool ScratchFolder::Open(const QString &sRoot)
{
    if (!m_sPath.isEmpty())
        return true;

    QString root = sRoot;
    ::mkdir(QFile::encodeName(root).constData(), 0700);
    if (!IsOwnDirectory(root)) {
        // Someone else's folder, or a link: use a fresh private root instead.
        QByteArray tmpl = QFile::encodeName(sRoot + QStringLiteral("-XXXXXX"));
        if (!::mkdtemp(tmpl.data()))
            return false;
        root = QFile::decodeName(tmpl);
    }

    // Start-up of instances is serialised on a lock in the root, so an
    // instance folder that has no lock yet is never mistaken for a stale one.
    const int startupFd = openNoFollow(root + QStringLiteral("/.lock"), O_RDWR | O_CREAT);
    if (startupFd >= 0 && ::flock(startupFd, LOCK_EX) == 0)
        RemoveStaleInstances(root);

    QByteArray tmpl = QFile::encodeName(root + QLatin1Char('/') + QLatin1String(kInstancePrefix)
                                        + QStringLiteral("XXXXXX"));
    if (::mkdtemp(tmpl.data())) {
        const QString path = QFile::decodeName(tmpl);
        const int fd = openNoFollow(path + QLatin1Char('/') + LockFileName(),
                                    O_RDWR | O_CREAT | O_EXCL);
        if (fd >= 0 && ::flock(fd, LOCK_EX | LOCK_NB) == 0) {
            m_sPath = path;
            m_iLockFd = fd;
        } else {
            if (fd >= 0)
                ::close(fd);
            RemoveInstance(path);
        }
    }
    if (startupFd >= 0)
        ::close(startupFd);
    return !m_sPath.isEmpty();
}

void ScratchFolder::RemoveStaleInstances(const QString &sRoot)
{
    const QStringList names = QDir(sRoot).entryList(
        QDir::Dirs | QDir::Files | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    for (const QString &name : names) {
        if (!name.startsWith(QLatin1String(kInstancePrefix)))
            continue;
        const QString path = sRoot + QLatin1Char('/') + name;
        if (!IsOwnDirectory(path))
            continue;
        const int fd = openNoFollow(path + QLatin1Char('/') + LockFileName(), O_RDWR);
        if (fd < 0 && errno != ENOENT)
            continue;
        // A lock nobody holds (or none at all) means its process has gone.
        if (fd < 0 || ::flock(fd, LOCK_EX | LOCK_NB) == 0)
            RemoveInstance(path);
        if (fd >= 0)
            ::close(fd);
    }
}

void ScratchFolder::RemoveInstance(const QString &sPath)
{
    const QStringList names = QDir(sPath).entryList(
        QDir::Dirs | QDir::Files | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    for (const QString &name : names) {
        const QByteArray path = QFile::encodeName(sPath + QLatin1Char('/') + name);
        struct stat st;
        // unlink() removes a link itself, never what it points to.
        if (::lstat(path.constData(), &st) == 0 && !S_ISDIR(st.st_mode))
            ::unlink(path.constData());
    }
    ::rmdir(QFile::encodeName(sPath).constData());
}
