#pragma once
// "Image Adjust/Levels": offsets added to red, green and blue; in monochrome
// each colour channel becomes (red + 128)/255 R + (green + 128)/255 G +
// (blue + 128)/255 B instead.
#include "DialogFilter.h"

class ColorFilter : public DialogFilter
{
    Q_OBJECT
public:
    explicit ColorFilter(QObject *pParent = nullptr);

    FilterParams Params() const override;
    QImage Reference(const QImage &image, const FilterValues &values) const override;

protected:
    FilterDialog *CreateDialog(QWidget *pParent) override;
    bool Enqueue(FilterBuffers &buffers, const FilterValues &values, QCLBuffer &output) override;
};

// The kernel's arithmetic with its own arguments (weights 0..256 in
// monochrome, offsets otherwise).
QImage colorAdjustReference(const QImage &image, int iRed, int iGreen, int iBlue, bool bMonochrome);
