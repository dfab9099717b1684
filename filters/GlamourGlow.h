#pragma once
// "Glows/Glamour": the image blended with a Gaussian blur of itself, the
// blur weighing intensity percent (each part truncated before the sum).
// Alpha stays the pixel's own.
#include "DialogFilter.h"

class GlamourGlow : public DialogFilter
{
    Q_OBJECT
public:
    explicit GlamourGlow(QObject *pParent = nullptr);

    FilterParams Params() const override;
    QImage Reference(const QImage &image, const FilterValues &values) const override;

    bool ComputesParts() const override { return true; }
    int SamplesPerPixel(const FilterValues &values) const override;

protected:
    FilterForm Form() const override;
    bool Enqueue(FilterBuffers &buffers, const FilterValues &values, QCLBuffer &output) override;
    bool EnqueuePart(FilterBuffers &buffers, const FilterValues &values, QCLBuffer &output,
                     const QRect &area) override;

private:
    bool Blend(FilterBuffers &buffers, const FilterValues &values, QCLBuffer &output, const QRect &area);
};

QImage glamourGlowReference(const QImage &image, int iBlur, int iIntensity);
