#include "BrightnessFilter.h"
#include "BrightnessDlg.h"
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
    return {{kBrightness, -255, 255, {0}}, {kContrast, -255, 255, {0}}};
}

float BrightnessFilter::ContrastFactor(int iContrast)
{
    const double c = double(float(iContrast));
    return float((c + 255.0) * 259.0 / ((259.0 - c) * 255.0));
}

FilterDialog *BrightnessFilter::CreateDialog(QWidget *pParent)
{
    return new BrightnessDlg(pParent);
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
