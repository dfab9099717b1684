#pragma once
#include <QString>

// The private folder of one running instance of the scratch store:
// <root>/instance-XXXXXX, mode 0700, holding an exclusive lock on its
// "instance.lock" file for as long as this object lives. Opening one removes
// the instance folders under the same root that no live process holds, so
// that a second instance never touches the first one's files. Symbolic links
// are never followed.
class ScratchFolder
{
public:
    ScratchFolder() = default;
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder &) = delete;
    ScratchFolder &operator=(const ScratchFolder &) = delete;

    // False when no private folder could be made; Path() is then empty.
    bool Open(const QString &sRoot);
    QString Path() const { return m_sPath; }

    static QString DefaultRoot();
    static QString LockFileName();

private:
    static bool IsOwnDirectory(const QString &sPath);
    static void RemoveStaleInstances(const QString &sRoot);
    static void RemoveInstance(const QString &sPath);

    QString m_sPath;
    int m_iLockFd = -1;
};
