#pragma once
// "Image Adjust/Brightness | Contrast": adds the brightness to every colour
// channel, then scales its distance from 128 by the contrast factor.
#include "DialogFilter.h"

class BrightnessFilter : public DialogFilter
{
    Q_OBJECT
public:
    explicit BrightnessFilter(QObject *pParent = nullptr);

    FilterParams Params() const override;
    QImage Reference(const QImage &image, const FilterValues &values) const override;

    // The factor of a contrast slider value c: (c + 255) 259 / ((259 - c) 255);
    // 0 gives exactly 1, 255 gives 129.5, -255 gives 0.
    static float ContrastFactor(int iContrast);

protected:
    FilterForm Form() const override;
    bool Enqueue(FilterBuffers &buffers, const FilterValues &values, QCLBuffer &output) override;
};

QImage brightnessReference(const QImage &image, int iBrightness, float fContrast);
