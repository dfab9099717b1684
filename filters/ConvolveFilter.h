#pragma once
// Base of the immediate filters that run one square integer mask over the
// image with the kernel `convolve` (see Convolver for the arithmetic and the
// edge rule); alpha stays.
#include "Convolver.h"
#include "KernelFilter.h"

class ConvolveFilter : public KernelFilter
{
    Q_OBJECT
public:
    QImage Reference(const QImage &image, const FilterValues &values) const override;

protected:
    ConvolveFilter(const QString &name, const QString &iconPath, const ConvolutionMask &mask, QObject *pParent);
    bool Enqueue(FilterBuffers &buffers, const FilterValues &values, QCLBuffer &output) override;

private:
    ConvolutionMask m_mask;
};
