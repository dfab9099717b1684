#pragma once
// "Posterize": n levels per colour channel (red, green and blue each its own n).
#include "DialogFilter.h"

class PosterizeFilter : public DialogFilter
{
    Q_OBJECT
public:
    explicit PosterizeFilter(QObject *pParent = nullptr);

    FilterParams Params() const override;
    QImage Reference(const QImage &image, const FilterValues &values) const override;

protected:
    FilterDialog *CreateDialog(QWidget *pParent) override;
    bool Enqueue(FilterBuffers &buffers, const FilterValues &values, QCLBuffer &output) override;
};

QImage posterizeReference(const QImage &image, int iRed, int iGreen, int iBlue);
