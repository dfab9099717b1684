#pragma once
// "Solarize": a colour channel above its threshold becomes 255 - channel.
#include "ThresholdFilter.h"

class SolarizeFilter : public ThresholdFilter
{
    Q_OBJECT
public:
    explicit SolarizeFilter(QObject *pParent = nullptr);

    static int Flip(int c, int threshold) { return c > threshold ? 255 - c : c; }
};

QImage solarizeReference(const QImage &image, int iRed, int iGreen, int iBlue);
