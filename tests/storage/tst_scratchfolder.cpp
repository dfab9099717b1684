// The scratch store's root and instance folders: a root made private (or
// replaced by one of this user's own when it cannot be used), what crashed
// instances left removed at start, and links never followed.
#include "ScratchDB.h"
#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtTest>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

class TestScratchFolder : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        cqtest::isolateSettings();
        QVERIFY(m_tmp.isValid());
    }

    void staleInstancesAndLinks()
    {
        const QString root = m_tmp.path() + QStringLiteral("/stale");
        const QString outside = m_tmp.path() + QStringLiteral("/outside");
        QVERIFY(QDir().mkpath(root));
        QVERIFY(QDir().mkpath(outside));
        auto touch = [](const QString &path) { return cqtest::writeFile(path, "x"); };
        QVERIFY(touch(outside + QStringLiteral("/keep.png")));

        // A crashed instance: lock file present but held by nobody, hidden file too.
        const QString crashed = root + QStringLiteral("/instance-crashed");
        QVERIFY(QDir().mkpath(crashed));
        QVERIFY(touch(crashed + QStringLiteral("/instance.lock")));
        QVERIFY(touch(crashed + QStringLiteral("/pixmap-a.png")));
        QVERIFY(touch(crashed + QStringLiteral("/.hidden")));
        QVERIFY(QFile::link(outside + QStringLiteral("/keep.png"), crashed + QStringLiteral("/link.png")));
        QVERIFY(QDir().mkpath(crashed + QStringLiteral("/sub/deeper")));
        QVERIFY(touch(crashed + QStringLiteral("/sub/deeper/pixmap-d.png")));
        QVERIFY(QFile::link(outside, crashed + QStringLiteral("/sub/outside")));
        // One whose lock file is a link: no live instance makes one like that.
        const QString linkedLock = root + QStringLiteral("/instance-linkedlock");
        QVERIFY(QDir().mkpath(linkedLock));
        QVERIFY(touch(outside + QStringLiteral("/keep.lock")));
        QVERIFY(QFile::link(outside + QStringLiteral("/keep.lock"), linkedLock + QStringLiteral("/instance.lock")));
        // An instance folder without any lock.
        const QString unlocked = root + QStringLiteral("/instance-nolock");
        QVERIFY(QDir().mkpath(unlocked));
        QVERIFY(touch(unlocked + QStringLiteral("/pixmap-b.png")));
        // A live instance of another process would hold its lock like this.
        const QString live = root + QStringLiteral("/instance-live");
        QVERIFY(QDir().mkpath(live));
        QVERIFY(touch(live + QStringLiteral("/pixmap-c.png")));
        const int fd = ::open(QFile::encodeName(live + QStringLiteral("/instance.lock")).constData(),
                              O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        QVERIFY(fd >= 0);
        QCOMPARE(::flock(fd, LOCK_EX | LOCK_NB), 0);
        // Links planted in the root, one dressed up as an instance folder.
        QVERIFY(QFile::link(outside, root + QStringLiteral("/instance-link")));
        QVERIFY(QFile::link(outside, root + QStringLiteral("/elsewhere")));
        // The root's start-up lock planted as a link: the clean-up still runs,
        // and what the link names is left alone.
        QVERIFY(QFile::link(outside + QStringLiteral("/keep.lock"), root + QStringLiteral("/.lock")));

        ScratchDB db;
        db.Init(root, 0);
        QVERIFY(!QFileInfo::exists(crashed));
        QVERIFY(!QFileInfo::exists(unlocked));
        QVERIFY(!QFileInfo::exists(linkedLock));
        QVERIFY(QFileInfo::exists(outside + QStringLiteral("/keep.lock")));
        QVERIFY(!QFileInfo(root + QStringLiteral("/.lock")).isSymLink());
        QVERIFY(QFileInfo(root + QStringLiteral("/.lock")).isFile());
        QVERIFY(QFileInfo::exists(live + QStringLiteral("/pixmap-c.png")));
        QVERIFY(QFileInfo::exists(outside + QStringLiteral("/keep.png")));
        QVERIFY(QFileInfo(root + QStringLiteral("/instance-link")).isSymLink());
        QVERIFY(QFileInfo(root + QStringLiteral("/elsewhere")).isSymLink());
        ::close(fd);

        // A root that is itself a link is not used, nor what it points to.
        const QString linkedRoot = m_tmp.path() + QStringLiteral("/linkedRoot");
        QVERIFY(QFile::link(outside, linkedRoot));
        ScratchDB viaLink;
        viaLink.Init(linkedRoot, 0);
        QVERIFY(viaLink.folder().startsWith(linkedRoot + QStringLiteral("-%1/instance-").arg(::getuid())));
        QCOMPARE(QDir(outside).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
                 QStringList({QStringLiteral("keep.lock"), QStringLiteral("keep.png")}));
    }

    // The root is this user's alone: an open one is closed to others, and one
    // that cannot be used (a file here) is replaced by the same place at every
    // start, so starts do not pile up folders.
    void rootIsMadePrivate()
    {
        const QString open = m_tmp.path() + QStringLiteral("/open");
        QVERIFY(QDir().mkpath(open));
        QVERIFY(::chmod(QFile::encodeName(open).constData(), 0777) == 0);
        {
            ScratchDB db;
            db.Init(open, 0);
            struct stat st;
            QCOMPARE(::stat(QFile::encodeName(open).constData(), &st), 0);
            QCOMPARE(int(st.st_mode & 0777), 0700);
            QCOMPARE(::stat(QFile::encodeName(db.folder()).constData(), &st), 0);
            QCOMPARE(int(st.st_mode & 0777), 0700);
        }

        const QString fileRoot = m_tmp.path() + QStringLiteral("/fileRoot");
        QVERIFY(cqtest::writeFile(fileRoot, {}));
        const QString fallback = fileRoot + QStringLiteral("-%1").arg(::getuid());
        for (int start = 0; start < 3; ++start) {
            ScratchDB db;
            db.Init(fileRoot, 0);
            QVERIFY2(db.folder().startsWith(fallback + QStringLiteral("/instance-")), qPrintable(db.folder()));
        }
        QCOMPARE(QDir(m_tmp.path()).entryList({QStringLiteral("fileRoot*")}, QDir::AllEntries),
                 QStringList({QStringLiteral("fileRoot"), QFileInfo(fallback).fileName()}));
        QCOMPARE(QDir(fallback).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                 QStringList{QStringLiteral(".lock")});
    }

private:
    QTemporaryDir m_tmp;
};

QTEST_GUILESS_MAIN(TestScratchFolder)
#include "tst_scratchfolder.moc"
