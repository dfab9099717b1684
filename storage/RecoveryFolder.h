#pragma once
#include <QString>
#include <QStringList>

// Where recovery copies live: one folder per user (mode 0700), one file
// per document. A running instance holds an exclusive lock on its own
// "<instance>.lock" there, and its copies are named "<instance>-<n>
// <document>.cqr", so a later start can tell the copies of an instance
// that is gone (nobody holds its lock) from those of one still running,
// whose copies it never touches.
class RecoveryFolder
{
public:
    RecoveryFolder() = default;
    ~RecoveryFolder();
    RecoveryFolder(const RecoveryFolder &) = delete;
    RecoveryFolder &operator=(const RecoveryFolder &) = delete;

    // Makes the folder and takes this instance's lock; false (and Path()
    // empty) when the folder cannot be used.
    bool Open(const QString &sFolder);
    // Lets go of the lock and removes it: the instance ended cleanly.
    void Close();
    QString Path() const { return m_sFolder; }
    QString Instance() const { return m_sInstance; }

    // The file for a document of this instance: serial and title make it
    // unique and say which document it is.
    QString CopyPath(int iSerial, const QString &sTitle) const;
    // The copies left by instances that are gone, oldest first.
    QStringList Orphans() const;
    // The folder beside a copy for its undo snapshots: ".undo" for ".cqr".
    static QString UndoFolder(const QString &sCopy);
    // Removes a copy (of any instance) with its undo folder and, once an instance that is gone
    // has no copy left, its lock file too.
    void Remove(const QString &sCopy) const;

    static QString DefaultFolder();
    static QString Suffix() { return QStringLiteral(".cqr"); }

private:
    static bool HeldByLiveInstance(const QString &sLock);

    QString m_sFolder;
    QString m_sInstance;
    int m_iLockFd = -1;
};
