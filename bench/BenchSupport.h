#pragma once
// What the benchmarks share: medians, the process's processor time and a
// tool context without panels.
#include "ToolContext.h"

#include <algorithm>
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

private:
    ChildWindow *m_pWindow;
    ProgramCache &m_cache;
    BaseTool *m_pTool = nullptr;
};

} // namespace bench
