#include "Histogram.h"
#include "HslMath.h"
#include "QCLBuffer.h"
#include "QCLContext.h"
#include "QCLKernel.h"

#include <algorithm>

void HistogramData::FindPeaks()
{
    for (int c = 0; c < kChannels; ++c)
        peaks[c] = *std::max_element(counts[c].begin(), counts[c].end());
}

QString HistogramData::ChannelName(int iChannel)
{
    static const char *const names[kChannels] = {"red", "green", "blue", "hue", "saturation", "lightness"};
    return iChannel >= 0 && iChannel < kChannels ? QLatin1String(names[iChannel]) : QString();
}

HistogramData histogramReference(const QImage &image)
{
    const QImage in = image.convertToFormat(QImage::Format_ARGB32);
    HistogramData data;
    for (int y = 0; y < in.height(); ++y) {
        const auto *line = reinterpret_cast<const quint32 *>(in.constScanLine(y));
        for (int x = 0; x < in.width(); ++x) {
            const quint32 p = line[x];
            if (qAlpha(p) == 0)
                continue;
            const HslMath::Hsl hsl = HslMath::FromRgb(qRed(p), qGreen(p), qBlue(p));
            ++data.counts[HistogramData::Red][qRed(p)];
            ++data.counts[HistogramData::Green][qGreen(p)];
            ++data.counts[HistogramData::Blue][qBlue(p)];
            ++data.counts[HistogramData::Hue][hsl.h];
            ++data.counts[HistogramData::Saturation][hsl.s];
            ++data.counts[HistogramData::Lightness][hsl.l];
        }
    }
    data.FindPeaks();
    return data;
}

namespace Histogram {

bool Count(QCLKernel &shared, QCLKernel &runs, const QCLBuffer &input, size_t iPixels, QCLBuffer &counts,
           int iChannels, HistogramData *pData, Method method)
{
    constexpr size_t kBytes = sizeof(int) * HistogramData::kChannels * HistogramData::kBuckets;
    static_assert(sizeof(HistogramData::counts) == kBytes, "the counts are read and written as one block");
    static const HistogramData kZero;
    if (iPixels == 0) {
        *pData = kZero;
        return true;
    }
    QCLContext *pContext = shared.context();
    if (!pContext || counts.isNull() || counts.size() < kBytes || !counts.write(kZero.counts.data(), kBytes))
        return false;
    const QCLDevice device = pContext->defaultDevice();
    const size_t units = size_t(qMax(1, device.computeUnits()));
    QCLEvent event;
    if (method == Method::ForDevice)
        method = device.deviceType() & QCLDevice::CPU ? Method::PrivateRuns : Method::SharedBuckets;
    if (method == Method::PrivateRuns) {
        // A few runs per core balance the load; each costs one merge.
        const size_t run = qMax<size_t>(4096, (iPixels / (units * 8) + 15) / 16 * 16);
        runs.setGlobalWorkSize(QCLWorkSize((iPixels + run - 1) / run));
        runs.setLocalWorkSize(QCLWorkSize(1));
        event = runs(input, counts, int(iPixels), int(run), iChannels);
    } else {
        const size_t local = qMin<size_t>(256, shared.maximumWorkGroupSize());
        const size_t blocks = (iPixels + 15) / 16;
        const size_t groups = qMin((blocks + local - 1) / local, units * 4);
        shared.setGlobalWorkSize(QCLWorkSize(groups * local));
        shared.setLocalWorkSize(QCLWorkSize(local));
        event = shared(input, counts, int(iPixels), iChannels);
    }
    if (event.isNull() || !counts.read(pData->counts.data(), kBytes))
        return false;
    pData->FindPeaks();
    return true;
}

} // namespace Histogram
