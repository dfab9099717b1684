#include "HueChangeFilter.h"
#include "HslMath.h"
#include "HueChangeFilterDlg.h"
#include "PixelMath.h"

namespace {
const QString kHue = QStringLiteral("hue");
const QString kSaturation = QStringLiteral("saturation");
const QString kLightness = QStringLiteral("lightness");
const QString kRange = QStringLiteral("range");
} // namespace

HueChangeFilter::HueChangeFilter(QObject *pParent)
    : DialogFilter(QStringLiteral("Image Adjust/Color Substitute"), QStringLiteral(":/icons/color_wheel.png"),
                   QStringLiteral("colorAdjust.cl"), {QStringLiteral("hueChange"), QStringLiteral("hueChangeRange")},
                   pParent)
{
}

FilterParams HueChangeFilter::Params() const
{
    FilterParam range{kRange, 0, 359, {0, 60}, QString(), FilterParam::Custom};
    range.optional = true;
    return {{kHue, 0, 359, {0}, QString(), FilterParam::Custom},
            {kSaturation, -255, 255, {0}, QStringLiteral("Saturation")},
            {kLightness, -255, 255, {0}, QStringLiteral("Lightness")},
            range};
}

FilterDialog *HueChangeFilter::CreateDialog(QWidget *pParent)
{
    return new HueChangeFilterDlg(Params(), pParent);
}

bool HueChangeFilter::Enqueue(FilterBuffers &buffers, const FilterValues &values, QCLBuffer &output)
{
    const int hue = values.value(kHue), saturation = values.value(kSaturation), lightness = values.value(kLightness);
    if (values.has(kRange)) {
        const QList<int> range = values.list(kRange);
        return RunPerPixel(Kernel(1), buffers, output, hue, range.value(0), range.value(1), saturation, lightness);
    }
    return RunPerPixel(Kernel(0), buffers, output, hue, saturation, lightness);
}

QImage hueChangeReference(const QImage &image, int iHue, int iSaturation, int iLightness, int iRangeStart,
                          int iRangeSpan)
{
    // Neutral settings copy: the 8-bit HSL round trip alone moves colours.
    if (iHue == 0 && iSaturation == 0 && iLightness == 0)
        return image.convertToFormat(QImage::Format_ARGB32);
    return PixelMath::MapPixels(image, [=](quint32 p) {
        const HslMath::Hsl hsl = HslMath::FromRgb(qRed(p), qGreen(p), qBlue(p));
        const int degrees = 360 * hsl.h / 255;
        if (iRangeSpan >= 0) {
            int delta = degrees - iRangeStart;
            if (delta < 0)
                delta += 360;
            if (delta > iRangeSpan)
                return p;
        }
        int h360 = 360 - iHue + degrees;
        if (h360 > 360)
            h360 -= 360;
        HslMath::Hsl shifted;
        shifted.h = qBound(0, 255 * h360 / 360, 255);
        shifted.s = qBound(0, hsl.s + iSaturation, 255);
        shifted.l = qBound(0, hsl.l + iLightness, 255);
        return HslMath::ToRgb(p, shifted);
    });
}

QImage HueChangeFilter::Reference(const QImage &image, const FilterValues &values) const
{
    const QList<int> range = values.has(kRange) ? values.list(kRange) : QList<int>{0, -1};
    return hueChangeReference(image, values.value(kHue), values.value(kSaturation), values.value(kLightness),
                              range.value(0), range.value(1));
}
