#include "PosterizeFilter.h"

#include <cmath>

PosterizeFilter::PosterizeFilter(QObject *pParent)
    : ThresholdFilter(QStringLiteral("Posterize"), QStringLiteral("posterize"), QSize(372, 234), {2, 64, 5}, &Level,
                      pParent)
{
}

int PosterizeFilter::Level(int c, int n)
{
    // std::round rounds halves away from zero, as the kernel does.
    const float levels = float(n);
    return int(std::round(float(c) / 255.0f * levels) / levels * 255.0f);
}

QImage posterizeReference(const QImage &image, int iRed, int iGreen, int iBlue)
{
    return ThresholdFilter::MapChannels(image, iRed, iGreen, iBlue, &PosterizeFilter::Level);
}
