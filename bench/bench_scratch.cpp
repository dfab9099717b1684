// Scratch store figures: GUI-thread cost of a snapshot, spill throughput,
// restore of a step that lives on disk, and the memory ceiling.
#include "ScratchDB.h"
#include "ScratchTarget.h"

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QPainter>
#include <QPixmap>
#include <QTemporaryDir>
#include <QThread>

#include <algorithm>
#include <cstdio>

namespace {

constexpr qint64 MiB = 1024 * 1024;
constexpr int Side = 4096;

// A layer the way the raster layer holds it: the snapshot is the pixmap's own
// premultiplied image, shared rather than converted.
class PixmapTarget : public ScratchTarget
{
public:
    explicit PixmapTarget(const QImage &image) : m_pixmap(QPixmap::fromImage(image)) {}
    QImage ScratchImage() const override
    {
        return m_pixmap.toImage();
    }
    QPointF ScratchPosition() const override { return {}; }
    void ScratchRestore(const QImage &image, const QPointF &) override
    {
        m_pixmap = QPixmap::fromImage(image);
    }
    void Paint(int iStep)
    {
        QPainter painter(&m_pixmap);
        painter.fillRect(QRect((iStep * 397) % Side, (iStep * 211) % Side, 600, 600),
                         QColor::fromHsv((iStep * 37) % 360, 200, 220, 180));
    }
    QPixmap m_pixmap;
};

// A layer that keeps its image as an ARGB32 QImage: the snapshot costs a
// shallow copy.
class ImageTarget : public ScratchTarget
{
public:
    explicit ImageTarget(const QImage &image) : m_image(image) {}
    QImage ScratchImage() const override { return m_image; }
    QPointF ScratchPosition() const override { return {}; }
    void ScratchRestore(const QImage &image, const QPointF &) override { m_image = image; }
    void Paint(int iStep)
    {
        QPainter painter(&m_image);
        painter.fillRect(QRect((iStep * 397) % Side, (iStep * 211) % Side, 600, 600),
                         QColor::fromHsv((iStep * 37) % 360, 200, 220, 180));
    }
    QImage m_image;
};

QImage startImage()
{
    QImage image(Side, Side, QImage::Format_ARGB32);
    quint32 seed = 12345;
    for (int y = 0; y < Side; ++y) {
        auto *line = reinterpret_cast<quint32 *>(image.scanLine(y));
        for (int x = 0; x < Side; ++x) {
            seed = seed * 1664525u + 1013904223u;
            const quint32 noise = (seed >> 24) & 0x1f;
            line[x] = qRgba((x >> 4) + noise, (y >> 4) + noise, ((x + y) >> 5) & 0xff, 255 - ((x ^ y) & 0x3f));
        }
    }
    return image;
}

double ms(qint64 ns) { return double(ns) / 1e6; }

template <typename Target>
void addItems(const char *sLabel, Target &target, const QString &sRoot, int iSteps)
{
    ScratchDB db;
    const qint64 limit = 128 * MiB;
    db.Init(sRoot, limit);
    QList<double> times;
    qint64 iMaxLive = 0, iMaxCaughtUp = 0;
    for (int i = 0; i < iSteps; ++i) {
        target.Paint(i);
        QElapsedTimer timer;
        timer.start();
        db.AddItem(&target);
        times << ms(timer.nsecsElapsed());
        iMaxLive = std::max(iMaxLive, db.memoryInUse());
        // Give the worker the time a user needs for the next stroke.
        QElapsedTimer pause;
        pause.start();
        while (pause.elapsed() < 100) {
            iMaxLive = std::max(iMaxLive, db.memoryInUse());
            QThread::msleep(5);
        }
    }
    db.Sync();
    iMaxCaughtUp = db.memoryInUse();
    std::sort(times.begin(), times.end());
    std::printf("%-28s AddItem on GUI thread: median %.2f ms, max %.2f ms (%d snapshots of %dx%d)\n",
                sLabel, times[times.size() / 2], times.last(), iSteps, Side, Side);
    std::printf("%-28s memory: highest seen %lld MiB, after the worker caught up %lld MiB "
                "(limit %lld MiB, limit + one snapshot %lld MiB)\n",
                sLabel, iMaxLive / MiB, iMaxCaughtUp / MiB, limit / MiB, (limit + 64 * MiB) / MiB);
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QTemporaryDir tmp;
    const QImage start = startImage();

    // Snapshot cost, with the spill running behind.
    {
        PixmapTarget target(start);
        QElapsedTimer timer;
        timer.start();
        const QImage snap = target.ScratchImage();
        std::printf("pixmap -> ARGB32 image alone: %.2f ms\n", ms(timer.nsecsElapsed()));
        addItems("pixmap-backed layer:", target, tmp.path() + "/a", 8);
    }
    {
        ImageTarget target(start);
        addItems("image-backed layer:", target, tmp.path() + "/b", 8);
    }

    // Spill throughput: limit 0, so every snapshot goes to disk.
    ScratchDB db;
    db.Init(tmp.path() + "/c", 0);
    ImageTarget target(start);
    const int iCount = 4;
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < iCount; ++i) {
        target.Paint(i);
        db.AddItem(&target);
    }
    db.Sync();
    const double spillMs = ms(timer.nsecsElapsed());
    std::printf("spill: %d x 64 MiB written in %.0f ms: %.0f MB/s (memory in use after: %lld MiB)\n",
                iCount, spillMs, iCount * 64.0 * MiB / 1e6 / (spillMs / 1000.0), db.memoryInUse() / MiB);

    // Restore of a step on disk: blocking (before an edit) and queued (undo).
    timer.restart();
    db.RestoreItem(&target, 0);
    db.WaitForPending(&target);
    std::printf("restore from disk, RestoreItem + WaitForPending: %.0f ms\n", ms(timer.nsecsElapsed()));
    timer.restart();
    db.RestoreItem(&target, 1);
    db.Sync();
    std::printf("restore from disk, queued until applied: %.0f ms\n", ms(timer.nsecsElapsed()));
    timer.restart();
    db.RestoreItem(&target, 1);
    std::printf("restore of a step read back before (in memory): %.3f ms\n", ms(timer.nsecsElapsed()));
    return 0;
}
