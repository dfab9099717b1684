#pragma once
// "Auto Level/<channel>": stretches one channel (red, green, blue, or hue,
// saturation or lightness through HSL) so that the values the histogram
// holds more than a trace of span the whole 0..255 range.
#include "Histogram.h"
#include "KernelFilter.h"

#include <QList>

class AutoLevelFilter : public KernelFilter
{
    Q_OBJECT
public:
    enum Mode { Lightness, Hue, Saturation, Red, Green, Blue };
    AutoLevelFilter(int iMode, QObject *pParent = nullptr);

    int GetMode() const { return m_mode; }
    QImage Reference(const QImage &image, const FilterValues &values) const override;

    // "Auto Level/Red" and so on; "Unknown" for a mode that is none of them.
    static QString NameOf(int iMode);
    // The histogram channel a mode stretches.
    static HistogramData::Channel ChannelOf(int iMode);
    // What each value of a channel becomes, from its bucket counts. Buckets
    // holding more than 0.0001 of the pixels counted set the range; with no
    // range (nothing counted, or one value) every value stays itself.
    static QList<int> Levels(const std::array<int, HistogramData::kBuckets> &counts);

protected:
    bool Enqueue(FilterBuffers &buffers, const FilterValues &values, QCLBuffer &output) override;

private:
    int m_mode;
};

QImage autoLevelReference(const QImage &image, int iMode);
