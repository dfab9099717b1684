#pragma once
// "Image Adjust/Sepia": red, then green, then blue become weighted sums, each
// line using the channels as the lines before it left them.
#include "KernelFilter.h"

class SepiaFilter : public KernelFilter
{
    Q_OBJECT
public:
    explicit SepiaFilter(QObject *pParent = nullptr);

    QImage Reference(const QImage &image, const FilterValues &values) const override;

protected:
    bool Enqueue(FilterBuffers &buffers, const FilterValues &values, QCLBuffer &output) override;
};

QImage sepiaReference(const QImage &image);
