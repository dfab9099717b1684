#include "HistogramCounter.h"
#include "ProgramCache.h"
#include "QCLContext.h"

namespace {
const char kProgram[] = ":/Filters/histogram.cl";
}

HistogramCounter::HistogramCounter(QCLContext &context) : m_context(context)
{
}

QString HistogramCounter::Initialize(ProgramCache *pCache)
{
    if (!m_context.isCreated())
        return QStringLiteral("No OpenCL context.");
    const QString path = QLatin1String(kProgram);
    QCLProgram program = pCache ? pCache->program(path) : m_context.buildProgramFromSourceFile(path);
    if (program.isNull()) {
        const QString log = pCache ? pCache->buildReport().value(path) : QString();
        return log.isEmpty() ? path + QStringLiteral(" could not be built.") : log;
    }
    for (auto [pKernel, name] : {std::pair{&m_shared, "CreateHistogram"}, std::pair{&m_runs, "CreateHistogramRuns"}}) {
        *pKernel = program.createKernel(QLatin1String(name));
        if (pKernel->isNull())
            return QLatin1String(name) + QStringLiteral("() kernel not found");
    }
    m_counts = m_context.createBufferDevice(sizeof(HistogramData::counts), QCLMemoryObject::ReadWrite);
    m_queue = m_context.createCommandQueue();
    m_bReady = !m_counts.isNull() && !m_queue.isNull();
    return m_bReady ? QString() : QStringLiteral("The histogram buffers could not be made.");
}

bool HistogramCounter::Count(const QImage &image, HistogramData *pData)
{
    if (!m_bReady)
        return false;
    QImage argb = image.format() == QImage::Format_ARGB32 ? image : image.convertToFormat(QImage::Format_ARGB32);
    // The kernels read the rows as one run of pixels.
    if (argb.bytesPerLine() != qsizetype(argb.width()) * 4)
        argb = argb.copy();
    const size_t pixels = size_t(argb.width()) * size_t(argb.height());
    std::lock_guard<std::mutex> lock(m_lock);
    QCLQueueScope scope(m_context, m_queue);
    if (pixels == 0)
        return Histogram::Count(m_shared, m_runs, QCLBuffer(), 0, m_counts, HistogramData::kAllChannels, pData);
    // The device only reads the pixels; constBits() keeps the image shared.
    const QCLBuffer input = m_context.createBufferHost(const_cast<uchar *>(argb.constBits()),
                                                       size_t(argb.sizeInBytes()), QCLMemoryObject::ReadOnly);
    return !input.isNull()
        && Histogram::Count(m_shared, m_runs, input, pixels, m_counts, HistogramData::kAllChannels, pData);
}
