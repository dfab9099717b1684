#include "BloomFilter.h"
#include "GaussianBlur.h"
#include "PixelMath.h"
#include "QCLContext.h"

namespace {
enum Scratch { kWeights, kBright, kMiddle };
enum Kernels { kBloom, kBlend, kHorizontal, kVertical };
const QString kThreshold = QStringLiteral("threshold");
const QString kRadius = QStringLiteral("radius");
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
    return {{kThreshold, 0, 255, {225}, QStringLiteral("Threshold")}, {kRadius, 3, 99, {8}, QStringLiteral("Radius")}};
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

bool BloomFilter::Enqueue(FilterBuffers &buffers, const FilterValues &values, QCLBuffer &output)
{
    const size_t bytes = buffers.pixelCount() * 4;
    QCLBuffer bright = buffers.scratch(kBright, bytes);
    if (bright.isNull())
        return false;
    // Bright pass into `bright`, blurred through `middle` back into it, then
    // added to the input.
    const size_t blocks = (buffers.pixelCount() + 15) / 16;
    Kernel(kBloom).setGlobalWorkSize(QCLWorkSize(blocks));
    if (Kernel(kBloom)(buffers.inputBuffer(), bright, values.value(kThreshold), int(buffers.pixelCount())).isNull())
        return false;
    if (!GaussianBlur::Blur(Kernel(kHorizontal), Kernel(kVertical), buffers, bright, bright, values.value(kRadius),
                            kWeights, kMiddle))
        return false;
    return RunPerPixel(Kernel(kBlend), buffers, output, bright);
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
