#pragma once
// "Blurs/Box": the average of an m x m window (offsets -m/2 .. m - 1 - m/2),
// in integers; alpha stays. The device slides running sums along rows and
// then down columns, so the cost does not grow with m.
#include "DialogFilter.h"

class SmoothFilter : public DialogFilter
{
    Q_OBJECT
public:
    explicit SmoothFilter(QObject *pParent = nullptr);

    FilterParams Params() const override;
    QImage Reference(const QImage &image, const FilterValues &values) const override;

    bool ComputesParts() const override { return true; }
    int SamplesPerPixel(const FilterValues &values) const override;
    // Running sums cost the same at any size: no quick preview.
    std::optional<FilterValues> ValuesAtScale(const FilterValues &, double) const override { return std::nullopt; }

protected:
    FilterForm Form() const override;
    bool Enqueue(FilterBuffers &buffers, const FilterValues &values, QCLBuffer &output) override;
    bool EnqueuePart(FilterBuffers &buffers, const FilterValues &values, QCLBuffer &output,
                     const QRect &area) override;
};

// Host reference: every window summed in full.
QImage boxBlurReference(const QImage &image, int iSize);
