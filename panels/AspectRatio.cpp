#include "AspectRatio.h"

#include <numeric>

double AspectRatio::Ratio(int iWidth, int iHeight)
{
    return iHeight == 0 ? 0.0 : double(iWidth) / double(iHeight);
}

QSize AspectRatio::Reduced(int iWidth, int iHeight)
{
    const int g = std::gcd(iWidth, iHeight);
    if (iWidth <= 0 || iHeight <= 0 || g <= 0)
        return QSize(iWidth, iHeight);
    return QSize(iWidth / g, iHeight / g);
}

QString AspectRatio::Text(int iWidth, int iHeight)
{
    const QSize reduced = Reduced(iWidth, iHeight);
    return QString::number(reduced.width()) + QLatin1Char(':') + QString::number(reduced.height())
           + QStringLiteral(" (") + QString::number(Ratio(iWidth, iHeight), 'g', 3) + QLatin1Char(')');
}

int AspectRatio::HeightFor(int iWidth, double dRatio)
{
    return dRatio == 0.0 ? 0 : int(iWidth / dRatio);
}

int AspectRatio::WidthFor(int iHeight, double dRatio)
{
    return int(iHeight * dRatio);
}
