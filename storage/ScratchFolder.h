#pragma once
#include <QString>

// The private folder of one running instance of the scratch store:
// <root>/instance-XXXXXX, mode 0700, holding an exclusive lock on its
// "instance.lock" file for as long as it is open. Opening one removes the
// instance folders under the same root that no live process holds, so that
// a second instance never touches the first one's files; closing it (a
// clean exit) removes it. Symbolic links are never followed.
//
// The root must be a folder of this user: an existing one is tightened to
// mode 0700. When it is not (a file, a link, someone else's folder), the
// root is "<root>-<uid>" instead, held to the same rule, so every start
// finds the same place; only when that fails too is a fresh folder made,
// and removed again on closing.
class ScratchFolder
{
public:
    ScratchFolder() = default;
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder &) = delete;
    ScratchFolder &operator=(const ScratchFolder &) = delete;

    // False when no private folder could be made; Path() is then empty.
    bool Open(const QString &sRoot);
    // Removes the folder and everything in it, and lets go of the lock.
    void Close();
    QString Path() const { return m_sPath; }
    QString Root() const { return m_sRoot; }

    static QString DefaultRoot();
    static QString LockFileName();
    // Whether a lock file (relative to dirFd, or a path with AT_FDCWD) is
    // held by a live process: a plain file that someone has locked. Anything
    // else (missing, a link, a folder, unlocked) means its process has gone;
    // when the system cannot tell, it counts as held.
    static bool LockHeld(int dirFd, const QByteArray &lock);

private:
    static bool UseAsRoot(const QString &sPath);
    static void RemoveStaleInstances(const QString &sRoot);

    QString m_sRoot;
    QString m_sPath;
    int m_iLockFd = -1;
    bool m_bOwnsRoot = false; // a fresh root, removed on closing
};
