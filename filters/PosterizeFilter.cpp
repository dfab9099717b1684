#include "PosterizeFilter.h"
#include "PixelMath.h"
#include "ThresholdsDlg.h"

#include <cmath>

PosterizeFilter::PosterizeFilter(QObject *pParent)
    : DialogFilter(QStringLiteral("Posterize"), QString(), QStringLiteral("brightnessContrast.cl"),
                   {QStringLiteral("posterize")}, pParent)
{
}

FilterParams PosterizeFilter::Params() const
{
    return {{QStringLiteral("red"), 2, 64, {5}}, {QStringLiteral("green"), 2, 64, {5}}, {QStringLiteral("blue"), 2, 64, {5}}};
}

FilterDialog *PosterizeFilter::CreateDialog(QWidget *pParent)
{
    auto *pDialog = new ThresholdsDlg(QStringLiteral("Posterize"), pParent);
    pDialog->resize(372, 234);
    return pDialog;
}

bool PosterizeFilter::Enqueue(FilterBuffers &buffers, const FilterValues &values, QCLBuffer &output)
{
    return RunPerPixel(Kernel(0), buffers, output, values.value(QStringLiteral("red")),
                       values.value(QStringLiteral("green")), values.value(QStringLiteral("blue")));
}

QImage posterizeReference(const QImage &image, int iRed, int iGreen, int iBlue)
{
    // std::round rounds halves away from zero, as the kernel's round() does.
    auto level = [](int c, int n) {
        const float levels = float(n);
        return int(std::round(float(c) / 255.0f * levels) / levels * 255.0f);
    };
    return PixelMath::MapPixels(image, [=](quint32 p) {
        return PixelMath::WithRgb(p, level(qRed(p), iRed), level(qGreen(p), iGreen), level(qBlue(p), iBlue));
    });
}

QImage PosterizeFilter::Reference(const QImage &image, const FilterValues &values) const
{
    return posterizeReference(image, values.value(QStringLiteral("red")), values.value(QStringLiteral("green")),
                              values.value(QStringLiteral("blue")));
}
