#pragma once
// "Blurs/Gaussian": a separable Gaussian of radius r (sigma = r / 3, whole
// number), red, green and blue only; alpha stays.
#include "DialogFilter.h"

#include <QList>

class GaussianBlur : public DialogFilter
{
    Q_OBJECT
public:
    explicit GaussianBlur(QObject *pParent = nullptr);

    FilterParams Params() const override;
    QImage Reference(const QImage &image, const FilterValues &values) const override;

    // The 2r + 1 normalised weights of radius r (at least 3).
    static QList<float> Weights(int iRadius);
    // Enqueues both passes of radius r (at least 3) for the part `area` of
    // `to` (on the part grid; the whole image or less) with the kernels
    // convolve1DHorizontal and convolve1DVertical, the weights in the
    // scratch buffer of `iWeightSlot`. The horizontal pass goes through the
    // scratch slot `iMiddleSlot`, which keeps it between parts while `key`
    // (the radius and whatever `from` holds) stays the same: it runs only
    // over the rows of the part grown by `iMargin` that the slot lacks.
    static bool BlurKept(QCLKernel &horizontal, QCLKernel &vertical, FilterBuffers &buffers, const QCLBuffer &from,
                         int iMiddleSlot, quint64 key, const QCLBuffer &to, int iRadius, int iWeightSlot,
                         const QRect &area, int iMargin);

    bool ComputesParts() const override { return true; }
    int SamplesPerPixel(const FilterValues &values) const override;

protected:
    FilterForm Form() const override;
    bool Enqueue(FilterBuffers &buffers, const FilterValues &values, QCLBuffer &output) override;
    bool EnqueuePart(FilterBuffers &buffers, const FilterValues &values, QCLBuffer &output,
                     const QRect &area) override;
};

// Host reference: the horizontal pass, then the vertical pass on its
// (truncated, clamped) result.
QImage gaussianBlurReference(const QImage &image, int iRadius);

// One pass over a line of n samples `step` apart: taps in order, samples
// mirrored at the ends as the kernels do. Shared by the reference passes.
void gaussianLine(const quint32 *src, quint32 *dst, int n, qsizetype step, const QList<float> &weights);
