#pragma once
// "Image Adjust/Color Substitute": turns hues by the wheel's hue and adjusts
// saturation and lightness, for every pixel or only for pixels whose hue
// lies in the wheel's range.
#include "DialogFilter.h"

class HueChangeFilter : public DialogFilter
{
    Q_OBJECT
public:
    explicit HueChangeFilter(QObject *pParent = nullptr);

    FilterParams Params() const override;
    QImage Reference(const QImage &image, const FilterValues &values) const override;

protected:
    FilterDialog *CreateDialog(QWidget *pParent) override;
    bool Enqueue(FilterBuffers &buffers, const FilterValues &values, QCLBuffer &output) override;
};

// iRangeSpan below 0 means no range (every pixel changes).
QImage hueChangeReference(const QImage &image, int iHue, int iSaturation, int iLightness, int iRangeStart = 0,
                          int iRangeSpan = -1);
