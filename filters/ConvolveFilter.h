#pragma once
// Base of the filters that run one square integer mask over the image with
// the kernel `convolve`: red, green and blue sums divided by a factor
// (truncated toward zero) plus an offset, clamped; alpha stays. Samples past
// an edge are mirrored: -1 reads 1, one past the end reads the last pixel.
#include "KernelFilter.h"

#include <QList>

class ConvolveFilter : public KernelFilter
{
    Q_OBJECT
public:
    QImage Reference(const QImage &image, const FilterValues &values) const override;

protected:
    // `mask` is m x m, row by row.
    ConvolveFilter(const QString &name, const QString &iconPath, const QList<int> &mask, int iFactor, int iOffset,
                   QObject *pParent);
    bool Enqueue(FilterBuffers &buffers, const FilterValues &values, QCLBuffer &output) override;

private:
    QList<int> m_mask;
    int m_factor;
    int m_offset;
};

QImage convolveReference(const QImage &image, const QList<int> &mask, int iFactor, int iOffset);
