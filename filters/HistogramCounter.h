#pragma once
// Counts histograms on the device for whoever asks: the histogram panel (on
// its own thread) and `cqtool histogram`. Calls may come from any thread,
// one at a time; each runs on the counter's own command queue so that it
// never waits behind the user-interface thread's work.
#include "Histogram.h"
#include "QCLBuffer.h"
#include "QCLCommandQueue.h"
#include "QCLKernel.h"

#include <mutex>

class ProgramCache;
class QCLContext;

class HistogramCounter
{
public:
    explicit HistogramCounter(QCLContext &context);

    // Builds the program (through `pCache` when given, which must belong to
    // the same context) and fetches the kernels. Call once, on the thread
    // that owns the cache. Empty when ready, else the reason.
    QString Initialize(ProgramCache *pCache = nullptr);
    bool IsReady() const { return m_bReady; }

    // The six histograms of `image`; false when the device failed.
    bool Count(const QImage &image, HistogramData *pData);

private:
    QCLContext &m_context;
    bool m_bReady = false;
    std::mutex m_lock;
    QCLKernel m_shared;
    QCLKernel m_runs;
    QCLBuffer m_counts;
    QCLCommandQueue m_queue;
};
