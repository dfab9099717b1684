#include "BrightnessFilter.h"
#include "PixelMath.h"

namespace {
const QString kBrightness = QStringLiteral("brightness");
const QString kContrast = QStringLiteral("contrast");
} // namespace

BrightnessFilter::BrightnessFilter(QObject *pParent)
    : DialogFilter(QStringLiteral("Image Adjust/Brightness | Contrast"), QStringLiteral(":/icons/contrast.png"),
                   QStringLiteral("brightnessContrast.cl"), {QStringLiteral("brightness")}, pParent)
{
}

FilterParams BrightnessFilter::Params() const
{
    FilterParam brightness{kBrightness, -255, 255, {0}, QStringLiteral("Brightness")};
    brightness.icon = QStringLiteral(":/icons/lightbulb.png");
    FilterParam contrast{kContrast, -255, 255, {0}, QStringLiteral("Contrast")};
    contrast.icon = contrast.lowIcon = QStringLiteral(":/icons/contrast.png");
    contrast.highIcon = QStringLiteral(":/icons/contrast_flipped.png");
    return {brightness, contrast};
}

FilterForm BrightnessFilter::Form() const
{
    return {QStringLiteral("Brightness"), QStringLiteral("BrightnessDlg"), QSize(331, 201)};
}

float BrightnessFilter::ContrastFactor(int iContrast)
{
    const double c = double(float(iContrast));
    return float((c + 255.0) * 259.0 / ((259.0 - c) * 255.0));
}

bool BrightnessFilter::Enqueue(FilterBuffers &buffers, const FilterValues &values, QCLBuffer &output)
{
    return RunPerPixel(Kernel(0), buffers, output, values.value(kBrightness),
                       ContrastFactor(values.value(kContrast)));
}

QImage brightnessReference(const QImage &image, int iBrightness, float fContrast)
{
    auto channel = [iBrightness, fContrast](int c) { return int(float(c + iBrightness - 128) * fContrast) + 128; };
    return PixelMath::MapPixels(image, [&channel](quint32 p) {
        return PixelMath::WithRgb(p, channel(qRed(p)), channel(qGreen(p)), channel(qBlue(p)));
    });
}

QImage BrightnessFilter::Reference(const QImage &image, const FilterValues &values) const
{
    return brightnessReference(image, values.value(kBrightness), ContrastFactor(values.value(kContrast)));
}
