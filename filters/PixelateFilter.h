#pragma once
// "Pixelate": in blocks of n x n pixels every pixel takes the colour of the
// first pixel of the next block along each axis; along an axis where the
// next block would start at or past the edge, pixels keep their place.
#include "DialogFilter.h"

class PixelateFilter : public DialogFilter
{
    Q_OBJECT
public:
    explicit PixelateFilter(QObject *pParent = nullptr);

    FilterParams Params() const override;
    QImage Reference(const QImage &image, const FilterValues &values) const override;

    bool ComputesParts() const override { return true; }

protected:
    FilterForm Form() const override;
    bool Enqueue(FilterBuffers &buffers, const FilterValues &values, QCLBuffer &output) override;
    bool EnqueuePart(FilterBuffers &buffers, const FilterValues &values, QCLBuffer &output,
                     const QRect &area) override;
};

QImage pixelateReference(const QImage &image, int iSize);
