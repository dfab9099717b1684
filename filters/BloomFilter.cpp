#include "BloomFilter.h"
#include "GaussianBlur.h"
#include "PixelMath.h"
#include "QCLContext.h"

namespace {
enum Scratch { kWeights, kBright, kMiddle, kRing };
enum Kernels { kBloom, kBlend, kHorizontal, kVertical };
const QString kThreshold = QStringLiteral("threshold");
const QString kRadius = QStringLiteral("radius");

// What the kept horizontal pass of the bright pass depends on.
quint64 BlurKey(int iThreshold, int iRadius)
{
    return quint64(iThreshold) << 32 | quint64(iRadius);
}
} // namespace

BloomFilter::BloomFilter(QObject *pParent)
    : DialogFilter(QStringLiteral("Glows/Bloom"), QStringLiteral(":/icons/lightbulb.png"), QStringLiteral("bloom.cl"),
                   {QStringLiteral("bloom"), QStringLiteral("bloomBlend")}, pParent)
{
    AlsoLoad(QStringLiteral("convolutionFilters.cl"),
             {QStringLiteral("convolve1DHorizontal"), QStringLiteral("convolve1DVertical")});
}

FilterParams BloomFilter::Params() const
{
    return {{kThreshold, 0, 255, {225}, QStringLiteral("Threshold")},
            FilterParam{kRadius, 3, 99, {8}, QStringLiteral("Radius")}.reaching(1)};
}

FilterForm BloomFilter::Form() const
{
    return {QStringLiteral("Bloom"), QStringLiteral("BloomDlg"), QSize(319, 199), QStringLiteral("Spinner")};
}

FilterValues BloomFilter::InitialValues() const
{
    const FilterValues previous = RequestedValues();
    return previous.isEmpty() ? DialogFilter::InitialValues() : previous;
}

int BloomFilter::SamplesPerPixel(const FilterValues &values) const
{
    // Both blur passes, the bright pass and the blend.
    return 2 * (2 * values.value(kRadius) + 1) + 2;
}

bool BloomFilter::Enqueue(FilterBuffers &buffers, const FilterValues &values, QCLBuffer &output)
{
    const QRect whole(0, 0, buffers.width(), buffers.height());
    const int threshold = values.value(kThreshold), radius = values.value(kRadius);
    // A large picture blurs through a ring of rows, unless a dialog's
    // previews made part of the whole intermediate already.
    if (GaussianBlur::RingRows(whole.size(), radius) == whole.height()
        || !buffers.scratchKept(kMiddle, BlurKey(threshold, radius)).isEmpty())
        return EnqueuePart(buffers, values, output, whole);
    QCLBuffer bright = buffers.scratch(kBright, buffers.pixelCount() * 4);
    if (bright.isNull())
        return false;
    QCLKernel &brightPass = Kernel(kBloom);
    CoverBlocks(brightPass, whole, whole.size());
    if (brightPass(buffers.inputBuffer(), bright, threshold, whole.width(), whole.height()).isNull()
        || !GaussianBlur::Blur(Kernel(kHorizontal), Kernel(kVertical), buffers, bright, output, radius, kWeights,
                               kRing))
        return false;
    CoverBlocks(Kernel(kBlend), whole, whole.size());
    return !Kernel(kBlend)(buffers.inputBuffer(), output, whole.width(), whole.height()).isNull();
}

bool BloomFilter::EnqueuePart(FilterBuffers &buffers, const FilterValues &values, QCLBuffer &output,
                              const QRect &area)
{
    QCLBuffer bright = buffers.scratch(kBright, buffers.pixelCount() * 4);
    if (bright.isNull())
        return false;
    const QSize image(buffers.width(), buffers.height());
    const int threshold = values.value(kThreshold), radius = values.value(kRadius), margin = Margin(values);
    // The bright pass wherever the blur of the part reads it, kept between
    // parts while the threshold stays.
    const QRegion done = buffers.scratchKept(kBright, quint64(threshold));
    const QRegion needed = QRegion(PartGrid(area.adjusted(-margin, -margin, margin, margin), image)) - done;
    QCLKernel &brightPass = Kernel(kBloom);
    for (const QRect &rect : needed) {
        CoverBlocks(brightPass, rect, image);
        if (brightPass(buffers.inputBuffer(), bright, threshold, image.width(), rect.bottom() + 1).isNull())
            return false;
    }
    buffers.setScratchKept(kBright, quint64(threshold), done + needed);
    // The blurred bright pass goes into the output, where the blend adds
    // the input to it.
    if (!GaussianBlur::BlurKept(Kernel(kHorizontal), Kernel(kVertical), buffers, bright, kMiddle,
                                BlurKey(threshold, radius), output, radius, kWeights, area, margin))
        return false;
    CoverBlocks(Kernel(kBlend), area, image);
    return !Kernel(kBlend)(buffers.inputBuffer(), output, image.width(), area.bottom() + 1).isNull();
}

QImage bloomBrightPass(const QImage &image, int iThreshold)
{
    return PixelMath::MapPixels(image, [iThreshold](quint32 p) {
        const float luminance = 0.2126f * float(qRed(p)) + 0.7152f * float(qGreen(p)) + 0.0722f * float(qBlue(p));
        return luminance <= float(iThreshold) || qAlpha(p) == 0 ? 0xff000000u : p;
    });
}

QImage bloomReference(const QImage &image, int iThreshold, int iRadius)
{
    const QImage glow = gaussianBlurReference(bloomBrightPass(image, iThreshold), iRadius);
    QImage out = image.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < out.height(); ++y) {
        auto *line = reinterpret_cast<quint32 *>(out.scanLine(y));
        const auto *add = reinterpret_cast<const quint32 *>(glow.constScanLine(y));
        for (int x = 0; x < out.width(); ++x)
            line[x] = PixelMath::WithRgb(line[x], qRed(line[x]) + qRed(add[x]), qGreen(line[x]) + qGreen(add[x]),
                                         qBlue(line[x]) + qBlue(add[x]));
    }
    return out;
}

QImage BloomFilter::Reference(const QImage &image, const FilterValues &values) const
{
    return bloomReference(image, values.value(kThreshold), values.value(kRadius));
}
