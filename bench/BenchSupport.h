#pragma once
// What the benchmarks share: medians, the process's processor time and a
// tool context without panels.
#include "QCLContext.h"
#include "ToolContext.h"

#include <QElapsedTimer>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QRandomGenerator>
#include <QObject>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <ctime>

class ChildWindow;
class ProgramCache;

namespace bench {

// Photographic-ish content: gradients, soft shapes, text-like strokes and
// grain, with partial transparency on some layers (even seeds). Layers 1 to
// 8 of a 4096 x 4096 canvas are the benchmark document.
inline QImage photoLayer(int iSide, int iSeed)
{
    QImage image(iSide, iSide, QImage::Format_ARGB32);
    QRandomGenerator rng{quint32(iSeed)};
    image.fill(Qt::transparent);
    {
        QPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing);
        QLinearGradient g(0, 0, iSide, iSide);
        g.setColorAt(0, QColor::fromHsv(iSeed * 40 % 360, 200, 230, iSeed % 2 ? 255 : 160));
        g.setColorAt(1, QColor::fromHsv((iSeed * 40 + 120) % 360, 150, 90, 255));
        p.fillRect(image.rect(), g);
        for (int i = 0; i < 200; ++i) {
            QColor c = QColor::fromRgb(rng.generate());
            c.setAlpha(int(rng.bounded(40, 256)));
            p.setBrush(c);
            p.setPen(QPen(c.darker(), rng.bounded(1, 12)));
            const int x = int(rng.bounded(iSide)), y = int(rng.bounded(iSide));
            p.drawEllipse(QPointF(x, y), rng.bounded(10, 600), rng.bounded(10, 600));
        }
    }
    // Sensor-like grain on every pixel.
    for (int y = 0; y < iSide; ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < iSide; ++x) {
            const int n = int(rng.generate() & 7) - 3;
            const QRgb v = line[x];
            line[x] = qRgba(qBound(0, qRed(v) + n, 255), qBound(0, qGreen(v) + n, 255),
                            qBound(0, qBlue(v) - n, 255), qAlpha(v));
        }
    }
    return image;
}

// The middle value (the upper one of an even count).
template <class Container>
double median(Container values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// Processor time of every thread of the process (the device's included), in
// ms. On a shared machine the wall clock overstates what an idle one takes.
inline double cpuMs()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

// The device named by the first argument ("cpu" or "gpu"), or a GPU when
// there is one and the CPU device otherwise; prints which.
inline bool createContext(QCLContext &context, int argc, char **argv)
{
    const bool bCpu = argc > 1 && std::strcmp(argv[1], "cpu") == 0;
    const bool bGpu = argc > 1 && std::strcmp(argv[1], "gpu") == 0;
    const bool bCreated = bCpu ? context.create(QCLDevice::CPU)
                          : bGpu ? context.create(QCLDevice::GPU)
                                 : (context.create(QCLDevice::GPU) || context.create(QCLDevice::CPU));
    if (!bCreated) {
        std::fprintf(stderr, "no OpenCL device\n");
        return false;
    }
    std::printf("device: %s\n", qPrintable(context.defaultDevice().name()));
    return true;
}

// How long the interface thread went without running its events: a timer
// due every millisecond notes the longest gap between its ticks.
class StallWatch {
public:
    StallWatch()
    {
        m_clock.start();
        m_last = m_clock.nsecsElapsed();
        m_heartbeat.setTimerType(Qt::PreciseTimer);
        QObject::connect(&m_heartbeat, &QTimer::timeout, [this] {
            const qint64 now = m_clock.nsecsElapsed();
            m_worst = std::max(m_worst, now - m_last);
            m_last = now;
        });
        m_heartbeat.start(1);
    }
    void Stop() { m_heartbeat.stop(); }
    double LongestMs() const { return m_worst / 1e6; }
    double ElapsedMs() const { return m_clock.nsecsElapsed() / 1e6; }

private:
    QElapsedTimer m_clock;
    QTimer m_heartbeat;
    qint64 m_last = 0, m_worst = 0;
};

// The tools' surroundings without panels: the window and the programs.
class BenchContext : public ToolContext {
public:
    BenchContext(ChildWindow *pWindow, ProgramCache &cache) : m_pWindow(pWindow), m_cache(cache) {}
    ChildWindow *CurrentWindow() const override { return m_pWindow; }
    QToolBar *OptionBar() const override { return nullptr; }
    void SetActiveTool(BaseTool *pTool) override { m_pTool = pTool; }
    BaseTool *ActiveTool() const override { return m_pTool; }
    ProgramCache &Programs() override { return m_cache; }
    ToolSwatches *Swatches() override { return nullptr; }
    BrushSource *Brushes() override { return nullptr; }
    QVariant Setting(const QString &key, const QVariant &fallback) const override
    {
        return m_settings.value(key, fallback);
    }
    void SetSetting(const QString &key, const QVariant &value) override { m_settings.insert(key, value); }

private:
    QVariantHash m_settings;
    ChildWindow *m_pWindow;
    ProgramCache &m_cache;
    BaseTool *m_pTool = nullptr;
};

} // namespace bench
