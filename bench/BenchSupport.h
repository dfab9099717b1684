#pragma once
// What the benchmarks share: medians, the process's processor time and a
// tool context without panels.
#include "QCLContext.h"
#include "ToolContext.h"

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <ctime>

class ChildWindow;
class ProgramCache;

namespace bench {

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
