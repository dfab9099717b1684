#include "SolarizeFilter.h"
#include "PixelMath.h"
#include "ThresholdsDlg.h"

SolarizeFilter::SolarizeFilter(QObject *pParent)
    : DialogFilter(QStringLiteral("Solarize"), QString(), QStringLiteral("brightnessContrast.cl"),
                   {QStringLiteral("solarize")}, pParent)
{
}

FilterParams SolarizeFilter::Params() const
{
    return {{QStringLiteral("red"), 0, 255, {128}},
            {QStringLiteral("green"), 0, 255, {128}},
            {QStringLiteral("blue"), 0, 255, {128}}};
}

FilterDialog *SolarizeFilter::CreateDialog(QWidget *pParent)
{
    auto *pDialog = new ThresholdsDlg(QStringLiteral("Solarize"), pParent);
    pDialog->resize(364, 241);
    return pDialog;
}

bool SolarizeFilter::Enqueue(FilterBuffers &buffers, const FilterValues &values, QCLBuffer &output)
{
    return RunPerPixel(Kernel(0), buffers, output, values.value(QStringLiteral("red")),
                       values.value(QStringLiteral("green")), values.value(QStringLiteral("blue")));
}

QImage solarizeReference(const QImage &image, int iRed, int iGreen, int iBlue)
{
    auto flip = [](int c, int threshold) { return c > threshold ? 255 - c : c; };
    return PixelMath::MapPixels(image, [=](quint32 p) {
        return PixelMath::WithRgb(p, flip(qRed(p), iRed), flip(qGreen(p), iGreen), flip(qBlue(p), iBlue));
    });
}

QImage SolarizeFilter::Reference(const QImage &image, const FilterValues &values) const
{
    return solarizeReference(image, values.value(QStringLiteral("red")), values.value(QStringLiteral("green")),
                             values.value(QStringLiteral("blue")));
}
