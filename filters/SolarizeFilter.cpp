#include "SolarizeFilter.h"

SolarizeFilter::SolarizeFilter(QObject *pParent)
    : ThresholdFilter(QStringLiteral("Solarize"), QStringLiteral("solarize"), QSize(364, 241), {0, 255, 128}, &Flip,
                      pParent)
{
}

QImage solarizeReference(const QImage &image, int iRed, int iGreen, int iBlue)
{
    return ThresholdFilter::MapChannels(image, iRed, iGreen, iBlue, &SolarizeFilter::Flip);
}
