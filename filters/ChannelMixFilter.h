#pragma once
// "Image Adjust/Channel Mixer": each output channel is a mix of the source
// channels by percentages; in monochrome one mix goes to all three.
// "Preserve Luminosity" divides each mix by the sum of its percentages (a
// row summing to 0 is left undivided).
#include "DialogFilter.h"

#include <array>

class ChannelMixFilter : public DialogFilter
{
    Q_OBJECT
public:
    explicit ChannelMixFilter(QObject *pParent = nullptr);

    FilterParams Params() const override;
    QImage Reference(const QImage &image, const FilterValues &values) const override;

    // What the kernels receive: the three output rows as fractions and each
    // row's luminosity factor (row 3 and factor 3 are the monochrome mix).
    struct Mix {
        std::array<std::array<float, 3>, 4> rows;
        std::array<float, 4> luminosity;
        bool monochrome;
    };
    static Mix MixOf(const FilterValues &values);

protected:
    FilterDialog *CreateDialog(QWidget *pParent) override;
    bool Enqueue(FilterBuffers &buffers, const FilterValues &values, QCLBuffer &output) override;
};

QImage channelMixReference(const QImage &image, const ChannelMixFilter::Mix &mix);
