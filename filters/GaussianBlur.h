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
    // Enqueues both passes of radius r (at least 3) from `from` to `to` (the
    // same buffer or another), with the kernels convolve1DHorizontal and
    // convolve1DVertical; the weights go in the scratch buffer of
    // `iWeightSlot`. The horizontal pass goes through a ring of rows (of
    // RingRows() unless `iRingRows` says, more than 2r) in the scratch buffer
    // of `iMiddleSlot`, band by band, so that a large picture needs no
    // second picture's worth of fresh memory, which the system may take
    // seconds to find.
    static bool Blur(QCLKernel &horizontal, QCLKernel &vertical, FilterBuffers &buffers, const QCLBuffer &from,
                     const QCLBuffer &to, int iRadius, int iWeightSlot, int iMiddleSlot, int iRingRows = 0);
    // Rows of the ring Blur() passes through: the height when that is small.
    static int RingRows(const QSize &image, int iRadius);

    // Blur() for the part `area` of `to` (on the part grid; the whole image
    // or less) through a whole intermediate in the scratch slot
    // `iMiddleSlot`, which keeps the horizontal pass between parts while
    // `key` (the radius and whatever `from` holds) stays the same: it runs
    // only over the rows of the part grown by `iMargin` that the slot lacks.
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
