#pragma once
// "Invert Colors": every colour channel c becomes 255 - c.
#include "KernelFilter.h"

class InvertColorFilter : public KernelFilter
{
    Q_OBJECT
public:
    explicit InvertColorFilter(QObject *pParent = nullptr);

    QImage Reference(const QImage &image, const FilterValues &values) const override;

protected:
    bool Enqueue(FilterBuffers &buffers, const FilterValues &values, QCLBuffer &output) override;
};

QImage invertReference(const QImage &image);
