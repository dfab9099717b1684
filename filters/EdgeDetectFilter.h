#pragma once
// "Edge Detect/Color Difference": each colour channel becomes the largest
// difference between opposite neighbours (both diagonals, up and down, left
// and right); alpha stays. Neighbours past an edge come from the opposite
// edge; an image one pixel across is its own neighbour on that axis.
#include "KernelFilter.h"

class EdgeDetectFilter : public KernelFilter
{
    Q_OBJECT
public:
    explicit EdgeDetectFilter(QObject *pParent = nullptr);

    QImage Reference(const QImage &image, const FilterValues &values) const override;

protected:
    bool Enqueue(FilterBuffers &buffers, const FilterValues &values, QCLBuffer &output) override;
};

QImage edgeDetectReference(const QImage &image);
