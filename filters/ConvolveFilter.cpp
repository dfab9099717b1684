#include "ConvolveFilter.h"

namespace {
enum Scratch { kMask };
} // namespace

ConvolveFilter::ConvolveFilter(const QString &name, const QString &iconPath, const ConvolutionMask &mask,
                               QObject *pParent)
    : KernelFilter(name, iconPath, QStringLiteral("convolutionFilters.cl"), {QStringLiteral("convolve")}, pParent),
      m_mask(mask)
{
}

bool ConvolveFilter::Enqueue(FilterBuffers &buffers, const FilterValues &, QCLBuffer &output)
{
    const size_t bytes = size_t(m_mask.weights.size()) * sizeof(int);
    QCLBuffer mask = buffers.scratch(kMask, bytes);
    if (mask.isNull() || !mask.write(m_mask.weights.constData(), bytes))
        return false;
    QCLKernel &kernel = Kernel(0);
    kernel.setGlobalWorkSize(QCLWorkSize(size_t((buffers.width() + 15) / 16), size_t(buffers.height())));
    return !kernel(buffers.inputBuffer(), output, mask, buffers.width(), buffers.height(), m_mask.stride,
                   m_mask.factor, m_mask.offset)
                .isNull();
}

QImage ConvolveFilter::Reference(const QImage &image, const FilterValues &) const
{
    return Convolver::Reference(image, m_mask);
}
