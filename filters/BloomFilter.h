#pragma once
// "Glows/Bloom": pixels brighter than the threshold (luminance 0.2126 R +
// 0.7152 G + 0.0722 B) are blurred with a Gaussian of the given radius and
// added to the image, so bright parts glow. The dialog opens with the values
// of the previous one.
#include "DialogFilter.h"

class BloomFilter : public DialogFilter
{
    Q_OBJECT
public:
    explicit BloomFilter(QObject *pParent = nullptr);

    FilterParams Params() const override;
    QImage Reference(const QImage &image, const FilterValues &values) const override;

    bool ComputesParts() const override { return true; }
    int SamplesPerPixel(const FilterValues &values) const override;

protected:
    FilterForm Form() const override;
    FilterValues InitialValues() const override;
    bool Enqueue(FilterBuffers &buffers, const FilterValues &values, QCLBuffer &output) override;
    bool EnqueuePart(FilterBuffers &buffers, const FilterValues &values, QCLBuffer &output,
                     const QRect &area) override;
};

// The bright pass: opaque black where luminance <= threshold or alpha is 0.
QImage bloomBrightPass(const QImage &image, int iThreshold);
QImage bloomReference(const QImage &image, int iThreshold, int iRadius);
