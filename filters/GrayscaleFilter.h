#pragma once
// "Image Adjust/Grayscale": each colour channel becomes 0.299 R + 0.587 G +
// 0.114 B (single precision, truncated).
#include "KernelFilter.h"

class GrayscaleFilter : public KernelFilter
{
    Q_OBJECT
public:
    explicit GrayscaleFilter(QObject *pParent = nullptr);

    QImage Reference(const QImage &image, const FilterValues &values) const override;

protected:
    bool Enqueue(FilterBuffers &buffers, const FilterValues &values, QCLBuffer &output) override;
};

QImage grayscaleReference(const QImage &image);
