#include "ColorFilter.h"
#include "ColorBalanceDlg.h"
#include "PixelMath.h"

namespace {
const QString kRed = QStringLiteral("red");
const QString kGreen = QStringLiteral("green");
const QString kBlue = QStringLiteral("blue");
const QString kMonochrome = QStringLiteral("monochrome");

// Monochrome turns the sliders into weights of 0..256 over 255.
struct Arguments {
    int red, green, blue;
    bool monochrome;
};
Arguments argumentsOf(const FilterValues &values)
{
    const bool mono = values.value(kMonochrome) != 0;
    const int shift = mono ? 128 : 0;
    return {values.value(kRed) + shift, values.value(kGreen) + shift, values.value(kBlue) + shift, mono};
}
} // namespace

ColorFilter::ColorFilter(QObject *pParent)
    : DialogFilter(QStringLiteral("Image Adjust/Levels"), QStringLiteral(":/icons/layer_his.png"),
                   QStringLiteral("brightnessContrast.cl"), {QStringLiteral("colorAdjust")}, pParent)
{
}

FilterParams ColorFilter::Params() const
{
    return {{kRed, -128, 128, {0}},
            {kGreen, -128, 128, {0}},
            {kBlue, -128, 128, {0}},
            {kMonochrome, 0, 1, {0}, QStringLiteral("Monochrome"), FilterParam::CheckBox}};
}

FilterDialog *ColorFilter::CreateDialog(QWidget *pParent)
{
    return new ColorBalanceDlg(Params(), pParent);
}

bool ColorFilter::Enqueue(FilterBuffers &buffers, const FilterValues &values, QCLBuffer &output)
{
    const Arguments a = argumentsOf(values);
    return RunPerPixel(Kernel(0), buffers, output, a.red, a.green, a.blue, a.monochrome ? 1 : 0);
}

QImage colorAdjustReference(const QImage &image, int iRed, int iGreen, int iBlue, bool bMonochrome)
{
    return PixelMath::MapPixels(image, [=](quint32 p) {
        if (bMonochrome) {
            const float f = float(iRed) / 255.0f * float(qRed(p)) + float(iGreen) / 255.0f * float(qGreen(p))
                + float(iBlue) / 255.0f * float(qBlue(p));
            const int g = int(f);
            return PixelMath::WithRgb(p, g, g, g);
        }
        return PixelMath::WithRgb(p, qRed(p) + iRed, qGreen(p) + iGreen, qBlue(p) + iBlue);
    });
}

QImage ColorFilter::Reference(const QImage &image, const FilterValues &values) const
{
    const Arguments a = argumentsOf(values);
    return colorAdjustReference(image, a.red, a.green, a.blue, a.monochrome);
}
