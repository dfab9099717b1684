// Scratch store: memory accounting, spill and read-back, ordering of
// restores, failures, and instances side by side (how a root and what
// crashed instances left are treated is tst_scratchfolder's).
#include "ImageFile.h"
#include "ScratchDB.h"
#include "ScratchFolder.h"
#include "ScratchTarget.h"
#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

namespace {

constexpr qint64 MiB = 1024 * 1024;

class FakeLayer : public ScratchTarget
{
public:
    FakeLayer(const QImage &image = QImage(), QPointF pos = QPointF())
        : m_image(image), m_pos(pos) {}
    QImage ScratchImage() const override { return m_image; }
    QPointF ScratchPosition() const override { return m_pos; }
    void ScratchRestore(const QImage &image, const QPointF &pos) override
    {
        m_image = image;
        m_pos = pos;
        ++m_restores;
    }
    void Set(const QImage &image, QPointF pos) { m_image = image; m_pos = pos; }

    QImage m_image;
    QPointF m_pos;
    int m_restores = 0;
};

bool samePixels(const QImage &a, const QImage &b)
{
    return cqtest::differingPixels(a, b) == 0;
}

} // namespace

class TestScratchDB : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        cqtest::isolateSettings();
        QVERIFY(m_tmp.isValid());
    }

    void memoryFigureAndLimitSetting()
    {
        QCOMPARE(ScratchDB::LimitFromSetting(QStringLiteral("1000")), qint64(1000));
        QCOMPARE(ScratchDB::LimitFromSetting(QStringLiteral("lots")), qint64(0));
        QCOMPARE(ScratchDB::LimitFromSetting(QStringLiteral("6000000000")), qint64(6000000000));

        // The default folder and the setting, through the application's Init().
        QSettings().setValue(QStringLiteral("Scratch_MaxMemoryUsage"), QStringLiteral("3000000"));
        ScratchDB db;
        QSignalSpy figure(&db, &ScratchDB::MemoryUsageChanged);
        db.Init();
        QCOMPARE(db.memoryLimit(), qint64(3000000));
        QVERIFY(db.folder().startsWith(QDir::tempPath() + QStringLiteral("/chromaquillScratch/instance-")));
        QCOMPARE(figure.size(), 1);
        QCOMPARE(figure.at(0).at(0).toString(), QStringLiteral("0Mb"));
        FakeLayer layer(cqtest::patternImage(1024, 512, 1)); // 2 MiB
        db.AddItem(&layer);
        QCOMPARE(figure.last().at(0).toString(), QStringLiteral("2Mb"));
        QSettings().remove(QStringLiteral("Scratch_MaxMemoryUsage"));
    }

    void spillArithmeticAndRelease()
    {
        ScratchDB db;
        db.Init(m_tmp.path() + QStringLiteral("/spill"), 128 * MiB);
        QSignalSpy figure(&db, &ScratchDB::MemoryUsageChanged);

        FakeLayer layer;
        QList<int> ids;
        for (int i = 0; i < 3; ++i) {
            layer.Set(cqtest::patternImage(4096, 4096, 10 + i), QPointF(i, -i));
            ids << db.AddItem(&layer);
        }
        QCOMPARE(ids, (QList<int>{0, 1, 2}));
        db.Sync();

        // 192 MiB after the third add: the two oldest go to disk, down to 64 MiB.
        QCOMPARE(db.memoryInUse(), 64 * MiB);
        QCOMPARE(figure.last().at(0).toString(), QStringLiteral("64Mb"));
        QVERIFY(!db.isItemInMemory(0));
        QVERIFY(!db.isItemInMemory(1));
        QVERIFY(db.isItemInMemory(2));
        const QString file0 = db.itemFileName(0);
        QVERIFY(QFileInfo(file0).isFile());
        QVERIFY(file0.startsWith(db.folder() + QLatin1Char('/')));
        QVERIFY(db.itemFileName(2).isEmpty());

        // Released on disk: memory unchanged, file stays until the next start.
        db.ReleaseItem(0);
        db.Sync();
        QCOMPARE(db.memoryInUse(), 64 * MiB);
        QVERIFY(QFileInfo::exists(file0));
        QVERIFY(db.itemFileName(0).isEmpty());

        // Released in memory: its bytes go.
        db.ReleaseItem(2);
        db.Sync();
        QCOMPARE(db.memoryInUse(), qint64(0));
        QCOMPARE(figure.last().at(0).toString(), QStringLiteral("0Mb"));

        // Ids keep counting; released ids are not reused.
        QCOMPARE(db.AddItem(&layer), 3);
    }

    void restoreFromDisk_data()
    {
        // Qt's codec, and the editor's own (the only one that reads back
        // snapshots over 128 MiB).
        QTest::addColumn<bool>("editorCodec");
        QTest::newRow("Qt codec") << false;
        QTest::newRow("editor codec") << true;
    }

    void restoreFromDisk()
    {
        QFETCH(bool, editorCodec);
        ScratchDB db;
        if (editorCodec)
            ImageFile::ServeScratchStore(db);
        db.Init(m_tmp.path() + (editorCodec ? QStringLiteral("/restore-own") : QStringLiteral("/restore")), 2 * MiB);
        const QImage first = cqtest::patternImage(512, 512, 21);  // 1 MiB, awkward alpha
        FakeLayer layer(first, QPointF(13.5, -7));
        const int id = db.AddItem(&layer);
        for (int i = 0; i < 2; ++i) {
            layer.Set(cqtest::patternImage(512, 512, 22 + i), QPointF(i, i));
            db.AddItem(&layer);
        }
        db.Sync();
        QVERIFY(!db.isItemInMemory(id));
        const qint64 before = db.memoryInUse();

        db.RestoreItem(&layer, id);
        QVERIFY(db.HasPending(&layer));
        QVERIFY(!samePixels(layer.m_image, first)); // not yet: it is on disk
        // Waiting applies the read at once; an edit made then must survive the
        // worker's late result.
        db.WaitForPending(&layer);
        QVERIFY(!db.HasPending(&layer));
        QCOMPARE(layer.m_image.format(), QImage::Format_ARGB32);
        QVERIFY(samePixels(layer.m_image, first));
        QCOMPARE(layer.m_pos, QPointF(13.5, -7));
        layer.Set(cqtest::patternImage(512, 512, 60), QPointF());
        const QImage edited = layer.m_image;
        db.Sync();
        QVERIFY(samePixels(layer.m_image, edited));
        QCOMPARE(layer.m_restores, 1);
        QCOMPARE(db.memoryInUse(), before + first.sizeInBytes());

        // Now in memory and on disk: served at once, never written again, and
        // the first to be dropped from memory when room is needed.
        const QString file = db.itemFileName(id);
        layer.Set(QImage(), QPointF());
        db.RestoreItem(&layer, id);
        QVERIFY(samePixels(layer.m_image, first));
        layer.Set(cqtest::patternImage(512, 512, 30), QPointF());
        db.AddItem(&layer);
        db.Sync();
        QCOMPARE(db.itemFileName(id), file);
        QVERIFY(!db.isItemInMemory(id));
        db.RestoreItem(&layer, id);
        db.Sync();
        QVERIFY(samePixels(layer.m_image, first));
    }

    void latestRestoreWins()
    {
        ScratchDB db;
        db.Init(m_tmp.path() + QStringLiteral("/order"), 2 * MiB);
        QList<QImage> images;
        FakeLayer layer;
        // One add at a time, so which items the spills take does not depend on
        // how far the worker has got.
        for (int i = 0; i < 7; ++i) {
            images << cqtest::patternImage(512, 512, 40 + i);
            layer.Set(images.last(), QPointF(i, 0));
            db.AddItem(&layer);
            db.Sync();
        }
        for (int i = 0; i < 6; ++i)
            QVERIFY2(!db.isItemInMemory(i), qPrintable(QString::number(i)));
        QVERIFY(db.isItemInMemory(6));

        // A target that went away gets nothing. Several disk restores in flight:
        // the last request is what stays. (Each request names an item nobody
        // asked for before, so each is certainly still on disk.)
        FakeLayer other;
        db.RestoreItem(&other, 0);
        db.ForgetTarget(&other);
        db.RestoreItem(&layer, 1);
        db.RestoreItem(&layer, 2);
        db.RestoreItem(&layer, 3);
        db.Sync();
        QCOMPARE(other.m_restores, 0);
        QCOMPARE(layer.m_restores, 1);
        QVERIFY(samePixels(layer.m_image, images[3]));
        QCOMPARE(layer.m_pos, QPointF(3, 0));

        // An in-memory restore after a pending disk one wins at once and stays.
        db.RestoreItem(&layer, 4);
        db.RestoreItem(&layer, 6);
        QVERIFY(samePixels(layer.m_image, images[6]));
        db.Sync();
        QVERIFY(samePixels(layer.m_image, images[6]));
        QCOMPARE(layer.m_pos, QPointF(6, 0));

        // A result for an older request that turns up late, whatever order the
        // worker delivered in, is dropped; the latest one still lands.
        db.RestoreItem(&layer, 5);
        QMetaObject::invokeMethod(&db, "ApplyRead", Qt::DirectConnection, Q_ARG(int, 4),
                                  Q_ARG(QImage, images[4]), Q_ARG(QPointF, QPointF(4, 0)));
        QVERIFY(samePixels(layer.m_image, images[6]));
        db.Sync();
        QVERIFY(samePixels(layer.m_image, images[5]));
        QCOMPARE(layer.m_pos, QPointF(5, 0));
    }

    void failedWriteKeepsSnapshot()
    {
        ScratchDB db;
        db.Init(m_tmp.path() + QStringLiteral("/nowrite"), 2 * MiB);
        // A plain file where the instance folder was: every write fails.
        const QString folder = db.folder();
        QVERIFY(QDir(folder).removeRecursively());
        QVERIFY(cqtest::writeFile(folder, {}));

        QList<QImage> images;
        FakeLayer layer;
        for (int i = 0; i < 3; ++i) {
            images << cqtest::patternImage(512, 512, 70 + i);
            layer.Set(images.last(), QPointF());
            db.AddItem(&layer);
        }
        db.Sync(); // returns: the spill gave up instead of retrying forever
        QCOMPARE(db.memoryInUse(), 3 * MiB);
        for (int i = 0; i < 3; ++i) {
            QVERIFY(db.isItemInMemory(i));
            QVERIFY(db.itemFileName(i).isEmpty());
        }
        db.RestoreItem(&layer, 0);
        QVERIFY(samePixels(layer.m_image, images[0]));
    }

    void unreadableFileReportedOnce()
    {
        ScratchDB db;
        db.Init(m_tmp.path() + QStringLiteral("/noread"), 2 * MiB);
        QSignalSpy failed(&db, &ScratchDB::RestoreFailed);
        FakeLayer layer;
        for (int i = 0; i < 3; ++i) {
            layer.Set(cqtest::patternImage(512, 512, 80 + i), QPointF());
            db.AddItem(&layer);
        }
        db.Sync();
        for (int id : {0, 1}) {
            QVERIFY(cqtest::writeFile(db.itemFileName(id), "not a png"));
        }
        const QImage present = layer.m_image;

        db.RestoreItem(&layer, 0);
        db.RestoreItem(&layer, 0);
        db.Sync();
        QCOMPARE(failed.size(), 1);
        QCOMPARE(failed.at(0).at(0).toString(), ScratchDB::RestoreFailedMessage());
        QVERIFY(samePixels(layer.m_image, present));
        QCOMPARE(layer.m_restores, 0);
        const qint64 inUse = db.memoryInUse();

        db.RestoreItem(&layer, 0); // known bad: nothing new
        db.Sync();
        QCOMPARE(failed.size(), 1);

        // Through WaitForPending as well.
        db.RestoreItem(&layer, 1);
        db.WaitForPending(&layer);
        QCOMPARE(failed.size(), 2);
        db.Sync();
        QCOMPARE(failed.size(), 2);
        QVERIFY(samePixels(layer.m_image, present));
        QCOMPARE(db.memoryInUse(), inUse);
    }

    // A recovery copy's snapshot files: taken in (moved) and read back when
    // asked for; one not of the size it is said to be is never decoded, and a
    // link is never taken.
    void adoptsOnlyFilesThatAreWhatTheySay()
    {
        ScratchDB db;
        db.Init(m_tmp.path() + QStringLiteral("/adopt"), 2 * MiB);
        QSignalSpy failed(&db, &ScratchDB::RestoreFailed);
        const QImage pattern = cqtest::patternImage(30, 20, 7, true);
        const QString png = m_tmp.filePath(QStringLiteral("snapshot.png"));
        QVERIFY(pattern.save(png, "PNG"));
        QVERIFY(QFile::copy(png, png + QStringLiteral(".2")));
        QVERIFY(QFile::link(png + QStringLiteral(".2"), png + QStringLiteral(".link")));

        const int good = db.AdoptFile(png, pattern.size(), QImage::Format_ARGB32, QPointF(3, 4));
        QVERIFY(good >= 0);
        QVERIFY(!QFile::exists(png));
        const int wrong = db.AdoptFile(png + QStringLiteral(".2"), QSize(30000, 20000), QImage::Format_ARGB32, QPointF());
        QVERIFY(wrong >= 0);
        QCOMPARE(db.AdoptFile(png + QStringLiteral(".link"), pattern.size(), QImage::Format_ARGB32, QPointF()), -1);
        QCOMPARE(db.AdoptFile(png + QStringLiteral(".gone"), pattern.size(), QImage::Format_ARGB32, QPointF()), -1);

        FakeLayer layer(cqtest::patternImage(30, 20, 1, true));
        db.RestoreItem(&layer, good);
        db.WaitForPending(&layer);
        QVERIFY(samePixels(layer.m_image, pattern));
        QCOMPARE(layer.m_pos, QPointF(3, 4));
        db.RestoreItem(&layer, wrong);
        db.WaitForPending(&layer);
        QCOMPARE(failed.size(), 1);
        QVERIFY(samePixels(layer.m_image, pattern));
        QCOMPARE(db.memoryInUse(), qint64(30 * 20 * 4));
    }

    // Undo and redo over many snapshots on disk: each one read back is dropped
    // again when room is needed, so memory stays near the limit instead of
    // growing with every step, and every step still brings the right pixels.
    void longUndoRedoRunStaysNearLimit()
    {
        ScratchDB db;
        db.Init(m_tmp.path() + QStringLiteral("/run"), 4 * MiB);
        QList<QImage> images;
        FakeLayer layer;
        for (int i = 0; i < 12; ++i) {
            images << cqtest::patternImage(512, 512, 200 + i); // 1 MiB each
            layer.Set(images.last(), QPointF(i, 0));
            db.AddItem(&layer);
            db.Sync();
        }
        qint64 highest = 0;
        for (int round = 0; round < 2; ++round) {
            for (int step = 0; step < 24; ++step) {
                const int id = step < 12 ? 11 - step : step - 12; // undo all the way, then redo
                db.RestoreItem(&layer, id);
                db.Sync();
                QVERIFY2(samePixels(layer.m_image, images[id]), qPrintable(QString::number(id)));
                highest = qMax(highest, db.memoryInUse());
            }
        }
        QVERIFY2(highest <= 5 * MiB, qPrintable(QString::number(highest)));
        // A restore that is still waiting keeps its image even when room is made.
        FakeLayer other;
        for (int id = 0; id < 12; ++id) {
            db.RestoreItem(&layer, id);
            db.RestoreItem(&other, 11 - id);
            db.WaitForPending(&layer);
            db.WaitForPending(&other);
            QVERIFY(samePixels(layer.m_image, images[id]));
            QVERIFY(samePixels(other.m_image, images[11 - id]));
        }
    }

    // A clean exit removes the instance's folder and files; the store goes on
    // from memory, and nothing waits for a worker that is gone.
    void shutdownRemovesFiles()
    {
        ScratchDB db;
        db.Init(m_tmp.path() + QStringLiteral("/shutdown"), 1 * MiB);
        FakeLayer layer(cqtest::patternImage(512, 512, 70));
        const int first = db.AddItem(&layer);
        layer.Set(cqtest::patternImage(512, 512, 71), QPointF());
        db.AddItem(&layer);
        db.Sync();
        const QString file = db.itemFileName(first);
        const QString folder = db.folder();
        QVERIFY(QFileInfo::exists(file));
        db.RestoreItem(&layer, first);
        db.Shutdown();
        QVERIFY(!QFileInfo::exists(folder));
        db.WaitForPending(&layer);
        FakeLayer later(cqtest::patternImage(8, 8, 72));
        const int id = db.AddItem(&later);
        later.Set(QImage(), QPointF());
        db.RestoreItem(&later, id);
        QVERIFY(samePixels(later.m_image, cqtest::patternImage(8, 8, 72)));
    }

    void instancesKeepEachOthersFiles()
    {
        const QString root = m_tmp.path() + QStringLiteral("/shared");
        FakeLayer layer(cqtest::patternImage(64, 64, 90));
        auto *first = new ScratchDB;
        first->Init(root, 0);
        first->AddItem(&layer);
        first->Sync();
        const QString file = first->itemFileName(0);
        QVERIFY(QFileInfo::exists(file));

        {
            ScratchDB second;
            second.Init(root, 0);
            QVERIFY(second.folder() != first->folder());
            second.AddItem(&layer);
            second.Sync();
            QVERIFY(QFileInfo::exists(second.itemFileName(0)));
            QVERIFY(QFileInfo::exists(file)); // the first one's data is untouched
            layer.Set(QImage(), QPointF());
            first->RestoreItem(&layer, 0);
            first->Sync();
            QVERIFY(samePixels(layer.m_image, cqtest::patternImage(64, 64, 90)));
        }

        // An instance that ends cleanly takes its folder with it; the other
        // instance's files stay.
        const QString firstFolder = first->folder();
        delete first;
        QVERIFY(!QFileInfo::exists(file));
        QVERIFY(!QFileInfo::exists(firstFolder));
        ScratchDB third;
        third.Init(root, 0);
        QCOMPARE(QDir(root).entryList(QDir::Dirs | QDir::NoDotAndDotDot), QStringList{QFileInfo(third.folder()).fileName()});
    }

private:
    QTemporaryDir m_tmp;
};

QTEST_GUILESS_MAIN(TestScratchDB)
#include "tst_scratchdb.moc"
