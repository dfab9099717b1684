#pragma once
// "Posterize": n levels per colour channel (red, green and blue each its own n).
#include "ThresholdFilter.h"

class PosterizeFilter : public ThresholdFilter
{
    Q_OBJECT
public:
    explicit PosterizeFilter(QObject *pParent = nullptr);

    // One channel c with n levels: round(c / 255 n) / n 255, single
    // precision, halves rounded away from zero, truncated.
    static int Level(int c, int n);
};

QImage posterizeReference(const QImage &image, int iRed, int iGreen, int iBlue);
