#pragma once
// "Jitter": every pixel takes the colour of a pixel up to half the jitter
// size away (offsets seed mod n - floor(n / 2) on each axis, 0 where that
// would leave the image). Each pixel and axis has its own random seed,
// drawn from one number per dialog (or the `seed` value), so moving the
// slider back gives the same picture again.
#include "DialogFilter.h"

#include <atomic>

class JitterFilter : public DialogFilter
{
    Q_OBJECT
public:
    explicit JitterFilter(QObject *pParent = nullptr);

    // Draws the dialog's seed, then opens it.
    QImage ApplyFilter(QImage image) override;

    FilterParams Params() const override;
    QImage Reference(const QImage &image, const FilterValues &values) const override;

    // The key a seed turns into, and from it the seed of pixel `iIndex`
    // (row by row) on an axis (0 x, 1 y): a number below 2^24.
    static quint32 Key(quint32 iSeed);
    static int PixelSeed(quint32 iKey, quint32 iIndex, int iAxis);

    bool ComputesParts() const override { return true; }

protected:
    FilterForm Form() const override;
    bool Enqueue(FilterBuffers &buffers, const FilterValues &values, QCLBuffer &output) override;
    bool EnqueuePart(FilterBuffers &buffers, const FilterValues &values, QCLBuffer &output,
                     const QRect &area) override;

private:
    // The `seed` value, or the one drawn for the dialog.
    quint32 SeedOf(const FilterValues &values) const;

    std::atomic<quint32> m_seed;
};

QImage jitterReference(const QImage &image, int iSize, quint32 iSeed);
