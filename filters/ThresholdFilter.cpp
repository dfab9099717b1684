#include "ThresholdFilter.h"
#include "PixelMath.h"
#include "ThresholdsDlg.h"

namespace {
const QString kRed = QStringLiteral("red");
const QString kGreen = QStringLiteral("green");
const QString kBlue = QStringLiteral("blue");
} // namespace

ThresholdFilter::ThresholdFilter(const QString &name, const QString &kernelName, const QSize &dialogSize,
                                 const Range &range, int (*rule)(int, int), QObject *pParent)
    : DialogFilter(name, QString(), QStringLiteral("brightnessContrast.cl"), {kernelName}, pParent),
      m_dialogSize(dialogSize), m_range(range), m_rule(rule)
{
}

FilterParams ThresholdFilter::Params() const
{
    FilterParams params;
    for (const QString &key : {kRed, kGreen, kBlue}) {
        params.append({key, m_range.minimum, m_range.maximum, {m_range.initial}});
        // "thresholdRedSlider" and so on.
        params.last().name = QStringLiteral("threshold") + key.left(1).toUpper() + key.mid(1);
    }
    return params;
}

FilterDialog *ThresholdFilter::CreateDialog(QWidget *pParent)
{
    // The dialog is titled like the filter.
    auto *pDialog = new ThresholdsDlg(GetName(), Params(), pParent);
    pDialog->resize(m_dialogSize);
    return pDialog;
}

bool ThresholdFilter::Enqueue(FilterBuffers &buffers, const FilterValues &values, QCLBuffer &output)
{
    return RunPerPixel(Kernel(0), buffers, output, values.value(kRed), values.value(kGreen), values.value(kBlue));
}

QImage ThresholdFilter::MapChannels(const QImage &image, int iRed, int iGreen, int iBlue, int (*rule)(int, int))
{
    return PixelMath::MapPixels(image, [=](quint32 p) {
        return PixelMath::WithRgb(p, rule(qRed(p), iRed), rule(qGreen(p), iGreen), rule(qBlue(p), iBlue));
    });
}

QImage ThresholdFilter::Reference(const QImage &image, const FilterValues &values) const
{
    return MapChannels(image, values.value(kRed), values.value(kGreen), values.value(kBlue), m_rule);
}
