#include "RecoveryFolder.h"
#include "ScratchFolder.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStandardPaths>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QLatin1String kLockSuffix(".lock");

QByteArray encoded(const QString &path)
{
    return QFile::encodeName(path);
}

// "<instance>-<n> <title>.cqr": the instance part of a copy's name.
QString instanceOf(const QString &fileName)
{
    const int dash = fileName.indexOf(QLatin1Char('-'));
    return dash > 0 ? fileName.left(dash) : QString();
}

} // namespace

RecoveryFolder::~RecoveryFolder()
{
    Close();
}

QString RecoveryFolder::DefaultFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) + QStringLiteral("/recovery");
}

bool RecoveryFolder::Open(const QString &sFolder)
{
    Close();
    QFileInfo info(sFolder);
    if (info.isSymLink() || (info.exists() && !info.isDir()))
        return false;
    if (!QDir().mkpath(sFolder))
        return false;
    ::chmod(encoded(sFolder).constData(), 0700);
    // The process id and the start time: unique among instances, and a
    // later instance with a recycled id still gets a name of its own.
    const QString instance = QStringLiteral("i%1x%2")
                                 .arg(QCoreApplication::applicationPid())
                                 .arg(QDateTime::currentMSecsSinceEpoch(), 0, 36);
    const QString lock = sFolder + QLatin1Char('/') + instance + kLockSuffix;
    const int fd = ::open(encoded(lock).constData(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0)
        return false;
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return false;
    }
    m_iLockFd = fd;
    m_sFolder = sFolder;
    m_sInstance = instance;
    return true;
}

void RecoveryFolder::Close()
{
    if (m_iLockFd < 0)
        return;
    QFile::remove(m_sFolder + QLatin1Char('/') + m_sInstance + kLockSuffix);
    ::close(m_iLockFd);
    m_iLockFd = -1;
    m_sFolder.clear();
    m_sInstance.clear();
}

QString RecoveryFolder::CopyPath(int iSerial, const QString &sTitle) const
{
    if (m_sFolder.isEmpty())
        return QString();
    // A title is a file name or "Untitled N": anything that could leave the
    // folder or hide the file is replaced.
    QString title = sTitle;
    title.replace(QRegularExpression(QStringLiteral("[/\\x00-\\x1f]")), QStringLiteral("_"));
    if (title.startsWith(QLatin1Char('.')))
        title.prepend(QLatin1Char('_'));
    title = title.left(120);
    return QStringLiteral("%1/%2-%3 %4%5").arg(m_sFolder, m_sInstance).arg(iSerial).arg(title, Suffix());
}

bool RecoveryFolder::HeldByLiveInstance(const QString &sLock)
{
    return ScratchFolder::LockHeld(AT_FDCWD, encoded(sLock));
}

QStringList RecoveryFolder::Orphans() const
{
    const QString folder = m_sFolder.isEmpty() ? DefaultFolder() : m_sFolder;
    QDir dir(folder);
    const QFileInfoList copies = dir.entryInfoList({QStringLiteral("*") + Suffix()}, QDir::Files | QDir::NoSymLinks,
                                                   QDir::Time | QDir::Reversed);
    QStringList result;
    for (const QFileInfo &copy : copies) {
        const QString instance = instanceOf(copy.fileName());
        if (instance.isEmpty() || instance == m_sInstance)
            continue;
        if (HeldByLiveInstance(folder + QLatin1Char('/') + instance + kLockSuffix))
            continue;
        result.append(copy.filePath());
    }
    return result;
}

QString RecoveryFolder::UndoFolder(const QString &sCopy)
{
    QString folder = sCopy;
    if (folder.endsWith(Suffix()))
        folder.chop(Suffix().size());
    return folder + QStringLiteral(".undo");
}

void RecoveryFolder::Remove(const QString &sCopy) const
{
    QFile::remove(sCopy);
    const QString undo = UndoFolder(sCopy);
    if (QFileInfo(undo).isSymLink())
        QFile::remove(undo);
    else
        QDir(undo).removeRecursively();
    const QFileInfo info(sCopy);
    const QString instance = instanceOf(info.fileName());
    if (instance.isEmpty() || instance == m_sInstance)
        return;
    QDir dir(info.path());
    if (dir.entryList({instance + QStringLiteral("-*") + Suffix()}, QDir::Files).isEmpty()) {
        const QString lock = info.path() + QLatin1Char('/') + instance + kLockSuffix;
        if (!HeldByLiveInstance(lock))
            QFile::remove(lock);
    }
}
