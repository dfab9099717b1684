#include "GlamourGlow.h"
#include "GaussianBlur.h"
#include "PixelMath.h"
#include "QCLContext.h"

namespace {
enum Scratch { kWeights, kMiddle, kRing };
enum Kernels { kHorizontal, kVertical, kBlend };
const QString kBlur = QStringLiteral("blur");
const QString kIntensity = QStringLiteral("intensity");

// The share of the input and of the blur, as the kernel gets them.
float inputShare(int iIntensity)
{
    return float(100 - iIntensity) / 100.0f;
}
float blurShare(int iIntensity)
{
    return float(iIntensity) / 100.0f;
}
} // namespace

GlamourGlow::GlamourGlow(QObject *pParent)
    : DialogFilter(QStringLiteral("Glows/Glamour"), QStringLiteral(":/icons/water_drop.png"),
                   QStringLiteral("convolutionFilters.cl"),
                   {QStringLiteral("convolve1DHorizontal"), QStringLiteral("convolve1DVertical")}, pParent)
{
    AlsoLoad(QStringLiteral("imageBlend.cl"), {QStringLiteral("blendPercent")});
}

FilterParams GlamourGlow::Params() const
{
    return {FilterParam{kBlur, 3, 99, {10}, QStringLiteral("Blur Size")}.reaching(1),
            {kIntensity, 1, 100, {60}, QStringLiteral("Intensity")}};
}

FilterForm GlamourGlow::Form() const
{
    return {QStringLiteral("Glamour Glow"), QStringLiteral("GlamourGlowDlg"), QSize(278, 214)};
}

int GlamourGlow::SamplesPerPixel(const FilterValues &values) const
{
    return 2 * (2 * values.value(kBlur) + 1) + 1;
}

bool GlamourGlow::Enqueue(FilterBuffers &buffers, const FilterValues &values, QCLBuffer &output)
{
    const QRect whole(0, 0, buffers.width(), buffers.height());
    const int blur = values.value(kBlur);
    // A large picture blurs through a ring of rows, unless a dialog's
    // previews made part of the whole intermediate already.
    if (GaussianBlur::RingRows(whole.size(), blur) == whole.height()
        || !buffers.scratchKept(kMiddle, quint64(blur)).isEmpty())
        return EnqueuePart(buffers, values, output, whole);
    return GaussianBlur::Blur(Kernel(kHorizontal), Kernel(kVertical), buffers, buffers.inputBuffer(), output, blur,
                              kWeights, kRing)
        && Blend(buffers, values, output, whole);
}

bool GlamourGlow::EnqueuePart(FilterBuffers &buffers, const FilterValues &values, QCLBuffer &output,
                              const QRect &area)
{
    const int blur = values.value(kBlur);
    return GaussianBlur::BlurKept(Kernel(kHorizontal), Kernel(kVertical), buffers, buffers.inputBuffer(), kMiddle,
                                  quint64(blur), output, blur, kWeights, area, Margin(values))
        && Blend(buffers, values, output, area);
}

bool GlamourGlow::Blend(FilterBuffers &buffers, const FilterValues &values, QCLBuffer &output, const QRect &area)
{
    // The blur is in the output, where the blend mixes the input in.
    const int intensity = values.value(kIntensity);
    QCLKernel &blend = Kernel(kBlend);
    CoverBlocks(blend, area, QSize(buffers.width(), buffers.height()));
    return !blend(buffers.inputBuffer(), output, inputShare(intensity), blurShare(intensity), buffers.width(),
                  area.bottom() + 1)
                .isNull();
}

QImage glamourGlowReference(const QImage &image, int iBlur, int iIntensity)
{
    const QImage blurred = gaussianBlurReference(image, iBlur);
    const float a = inputShare(iIntensity), b = blurShare(iIntensity);
    auto mix = [a, b](int x, int y) { return int(float(x) * a) + int(float(y) * b); };
    QImage out = image.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < out.height(); ++y) {
        auto *line = reinterpret_cast<quint32 *>(out.scanLine(y));
        const auto *blur = reinterpret_cast<const quint32 *>(blurred.constScanLine(y));
        for (int x = 0; x < out.width(); ++x)
            line[x] = PixelMath::WithRgb(line[x], mix(qRed(line[x]), qRed(blur[x])),
                                         mix(qGreen(line[x]), qGreen(blur[x])), mix(qBlue(line[x]), qBlue(blur[x])));
    }
    return out;
}

QImage GlamourGlow::Reference(const QImage &image, const FilterValues &values) const
{
    return glamourGlowReference(image, values.value(kBlur), values.value(kIntensity));
}
