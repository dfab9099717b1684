#include "ScratchFolder.h"

#include <QDir>
#include <QFile>

#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const char kInstancePrefix[] = "instance-";
constexpr int kMaxTreeDepth = 32;

QByteArray encoded(const QString &sPath)
{
    return QFile::encodeName(sPath);
}

// Removes name (inside the folder parentFd) with everything below it. A link
// is removed itself, never what it points to; only real folders are entered.
void removeTree(int parentFd, const char *name, int iDepth)
{
    const int fd = ::openat(parentFd, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) {
        ::unlinkat(parentFd, name, 0);
        return;
    }
    if (DIR *pDir = ::fdopendir(fd)) {
        while (const dirent *pEntry = ::readdir(pDir)) {
            if (std::strcmp(pEntry->d_name, ".") == 0 || std::strcmp(pEntry->d_name, "..") == 0)
                continue;
            struct stat st;
            if (::fstatat(fd, pEntry->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISDIR(st.st_mode)) {
                if (iDepth < kMaxTreeDepth)
                    removeTree(fd, pEntry->d_name, iDepth + 1);
            } else {
                ::unlinkat(fd, pEntry->d_name, 0);
            }
        }
        ::closedir(pDir); // closes fd as well
    } else {
        ::close(fd);
    }
    ::unlinkat(parentFd, name, AT_REMOVEDIR);
}

void removeTree(const QString &sPath)
{
    const QByteArray path = encoded(sPath);
    const int slash = path.lastIndexOf('/');
    const QByteArray parent = slash > 0 ? path.left(slash) : QByteArray("/");
    const int parentFd = ::open(parent.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (parentFd < 0)
        return;
    removeTree(parentFd, path.constData() + slash + 1, 0);
    ::close(parentFd);
}

// Whether the instance folder at dirFd is held by a live process.
bool heldByLiveInstance(int dirFd)
{
    return ScratchFolder::LockHeld(dirFd, encoded(ScratchFolder::LockFileName()));
}

// The root's start-up lock: a plain file of its own. Anything else under
// that name (a link, a folder, a pipe) is left over or planted, and would
// stop the clean-up for good; it goes like a stale instance, and a fresh
// lock is made.
int openStartupLock(const QString &root)
{
    const QString lock = root + QStringLiteral("/.lock");
    const QByteArray path = encoded(lock);
    for (int attempt = 0; attempt < 2; ++attempt) {
        const int fd = ::open(path.constData(), O_RDWR | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0600);
        struct stat st;
        if (fd >= 0 && ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode))
            return fd;
        if (fd >= 0)
            ::close(fd);
        if (::lstat(path.constData(), &st) != 0 || S_ISREG(st.st_mode))
            return -1; // a plain file that cannot be opened: nothing to mend
        removeTree(lock);
    }
    return -1;
}

} // namespace

ScratchFolder::~ScratchFolder()
{
    Close();
}

QString ScratchFolder::DefaultRoot()
{
    return QDir::tempPath() + QStringLiteral("/chromaquillScratch");
}

QString ScratchFolder::LockFileName()
{
    return QStringLiteral("instance.lock");
}

bool ScratchFolder::UseAsRoot(const QString &sPath)
{
    const QByteArray path = encoded(sPath);
    ::mkdir(path.constData(), 0700);
    const int fd = ::open(path.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat st;
    bool bOk = ::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == ::getuid();
    // Nobody else may list, add or remove anything in it.
    if (bOk && (st.st_mode & 077) != 0)
        bOk = ::fchmod(fd, 0700) == 0;
    ::close(fd);
    return bOk;
}

bool ScratchFolder::Open(const QString &sRoot)
{
    if (!m_sPath.isEmpty())
        return true;

    QString root = sRoot;
    if (!UseAsRoot(root)) {
        root = sRoot + QLatin1Char('-') + QString::number(::getuid());
        if (!UseAsRoot(root)) {
            QByteArray tmpl = encoded(sRoot + QStringLiteral("-XXXXXX"));
            if (!::mkdtemp(tmpl.data()))
                return false;
            root = QFile::decodeName(tmpl);
            m_bOwnsRoot = true;
        }
    }

    // Start-up of instances is serialised on a lock in the root, so an
    // instance folder that has no lock yet is never mistaken for a stale one.
    const int startupFd = openStartupLock(root);
    if (startupFd >= 0 && ::flock(startupFd, LOCK_EX) == 0)
        RemoveStaleInstances(root);

    QByteArray tmpl = encoded(root + QLatin1Char('/') + QLatin1String(kInstancePrefix) + QStringLiteral("XXXXXX"));
    if (::mkdtemp(tmpl.data())) {
        const QString path = QFile::decodeName(tmpl);
        const int fd = ::open(encoded(path + QLatin1Char('/') + LockFileName()).constData(),
                              O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (fd >= 0 && ::flock(fd, LOCK_EX | LOCK_NB) == 0) {
            m_sPath = path;
            m_iLockFd = fd;
        } else {
            if (fd >= 0)
                ::close(fd);
            removeTree(path);
        }
    }
    if (startupFd >= 0)
        ::close(startupFd);
    if (m_sPath.isEmpty() && m_bOwnsRoot) {
        removeTree(root);
        m_bOwnsRoot = false;
    }
    if (!m_sPath.isEmpty())
        m_sRoot = root;
    return !m_sPath.isEmpty();
}

void ScratchFolder::Close()
{
    if (m_sPath.isEmpty())
        return;
    // Removed while still locked, so no other start takes it for stale
    // half-way through.
    removeTree(m_sPath);
    ::close(m_iLockFd);
    m_iLockFd = -1;
    if (m_bOwnsRoot)
        removeTree(m_sRoot);
    m_bOwnsRoot = false;
    m_sPath.clear();
    m_sRoot.clear();
}

void ScratchFolder::RemoveStaleInstances(const QString &sRoot)
{
    const int rootFd = ::open(encoded(sRoot).constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (rootFd < 0)
        return;
    const QStringList names = QDir(sRoot).entryList(QDir::Dirs | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    for (const QString &name : names) {
        if (!name.startsWith(QLatin1String(kInstancePrefix)))
            continue;
        const QByteArray entry = encoded(name);
        // Only real folders of this user; a link dressed as one is left alone.
        const int dirFd = ::openat(rootFd, entry.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (dirFd < 0)
            continue;
        struct stat st;
        const bool bOwn = ::fstat(dirFd, &st) == 0 && st.st_uid == ::getuid();
        const bool bStale = bOwn && !heldByLiveInstance(dirFd);
        ::close(dirFd);
        if (bStale)
            removeTree(rootFd, entry.constData(), 0);
    }
    ::close(rootFd);
}

bool ScratchFolder::LockHeld(int dirFd, const QByteArray &lock)
{
    const int fd = ::openat(dirFd, lock.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return errno == EMFILE || errno == ENFILE || errno == ENOMEM; // cannot tell: leave it
    struct stat st;
    bool bHeld = false;
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode))
        bHeld = ::flock(fd, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK;
    ::close(fd);
    return bHeld;
}
