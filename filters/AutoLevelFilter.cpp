#include "AutoLevelFilter.h"
#include "HslMath.h"
#include "PixelMath.h"
#include "QCLContext.h"

#include <cmath>

namespace {
enum Scratch { kCounts, kLevels };
// Kernel indices, in the order they are fetched.
enum Kernels { kHue, kSaturation, kLightness, kRed, kGreen, kBlue, kCountShared, kCountRuns };

int kernelOf(int iMode)
{
    switch (iMode) {
    case AutoLevelFilter::Lightness: return kLightness;
    case AutoLevelFilter::Hue: return kHue;
    case AutoLevelFilter::Saturation: return kSaturation;
    case AutoLevelFilter::Green: return kGreen;
    case AutoLevelFilter::Blue: return kBlue;
    default: return kRed;
    }
}

bool isIdentity(const QList<int> &levels)
{
    for (int v = 0; v < levels.size(); ++v)
        if (levels[v] != v)
            return false;
    return true;
}
} // namespace

AutoLevelFilter::AutoLevelFilter(int iMode, QObject *pParent)
    : KernelFilter(NameOf(iMode), QString(), QStringLiteral("histogram.cl"),
                   {QStringLiteral("AutoLevel_Hue"), QStringLiteral("AutoLevel_Saturation"),
                    QStringLiteral("AutoLevel_Lightness"), QStringLiteral("AutoLevel_Red"),
                    QStringLiteral("AutoLevel_Green"), QStringLiteral("AutoLevel_Blue"),
                    QStringLiteral("CreateHistogram"), QStringLiteral("CreateHistogramRuns")},
                   pParent),
      m_mode(iMode)
{
}

QString AutoLevelFilter::NameOf(int iMode)
{
    static const char *const names[] = {"Lightness", "Hue", "Saturation", "Red", "Green", "Blue"};
    if (iMode < 0 || iMode > Blue)
        return QStringLiteral("Unknown");
    return QStringLiteral("Auto Level/") + QLatin1String(names[iMode]);
}

HistogramData::Channel AutoLevelFilter::ChannelOf(int iMode)
{
    switch (iMode) {
    case Lightness: return HistogramData::Lightness;
    case Hue: return HistogramData::Hue;
    case Saturation: return HistogramData::Saturation;
    case Green: return HistogramData::Green;
    case Blue: return HistogramData::Blue;
    default: return HistogramData::Red;
    }
}

QList<int> AutoLevelFilter::Levels(const std::array<int, HistogramData::kBuckets> &counts)
{
    // Every counted pixel lies in one bucket of each channel.
    qint64 counted = 0;
    for (int n : counts)
        counted += n;
    QList<int> levels(HistogramData::kBuckets);
    for (int v = 0; v < levels.size(); ++v)
        levels[v] = v;
    const int threshold = int(float(counted) * 0.0001f);
    int lo = 255, hi = 0;
    for (int v = 0; v < HistogramData::kBuckets; ++v) {
        if (counts[v] > threshold) {
            lo = qMin(lo, v);
            hi = qMax(hi, v);
        }
    }
    if (hi <= lo)
        return levels;
    const float dynamic = float(hi - lo) / 255.0f, minimum = float(lo) / 255.0f;
    for (int v = 0; v < levels.size(); ++v)
        levels[v] = PixelMath::Clamp255(int(std::lround((float(v) / 255.0f - minimum) / dynamic * 255.0f)));
    return levels;
}

bool AutoLevelFilter::Enqueue(FilterBuffers &buffers, const FilterValues &, QCLBuffer &output)
{
    const HistogramData::Channel channel = ChannelOf(m_mode);
    QCLBuffer counts = buffers.scratch(kCounts, sizeof(HistogramData::counts));
    QCLBuffer levelBuffer = buffers.scratch(kLevels, HistogramData::kBuckets * sizeof(int));
    HistogramData data;
    if (levelBuffer.isNull()
        || !Histogram::Count(Kernel(kCountShared), Kernel(kCountRuns), buffers.inputBuffer(), buffers.pixelCount(),
                             counts, HistogramData::Bit(channel), &data))
        return false;
    const QList<int> levels = Levels(data.counts[channel]);
    if (!levelBuffer.write(levels.constData(), size_t(levels.size()) * sizeof(int)))
        return false;
    // Nothing to stretch: the red kernel with levels that change nothing
    // copies the pixels exactly, where going through HSL and back would not.
    return RunPerPixel(Kernel(isIdentity(levels) ? kRed : kernelOf(m_mode)), buffers, output, levelBuffer);
}

QImage autoLevelReference(const QImage &image, int iMode)
{
    const HistogramData::Channel channel = AutoLevelFilter::ChannelOf(iMode);
    const HistogramData data = histogramReference(image);
    const QList<int> levels = AutoLevelFilter::Levels(data.counts[channel]);
    if (isIdentity(levels))
        return image.convertToFormat(QImage::Format_ARGB32);
    return PixelMath::MapPixels(image, [&levels, channel](quint32 p) {
        switch (channel) {
        case HistogramData::Red: return PixelMath::WithRgb(p, levels[qRed(p)], qGreen(p), qBlue(p));
        case HistogramData::Green: return PixelMath::WithRgb(p, qRed(p), levels[qGreen(p)], qBlue(p));
        case HistogramData::Blue: return PixelMath::WithRgb(p, qRed(p), qGreen(p), levels[qBlue(p)]);
        default: break;
        }
        HslMath::Hsl hsl = HslMath::FromRgb(qRed(p), qGreen(p), qBlue(p));
        int &value = channel == HistogramData::Hue ? hsl.h : (channel == HistogramData::Saturation ? hsl.s : hsl.l);
        value = levels[value];
        return HslMath::ToRgb(p, hsl);
    });
}

QImage AutoLevelFilter::Reference(const QImage &image, const FilterValues &) const
{
    return autoLevelReference(image, m_mode);
}
