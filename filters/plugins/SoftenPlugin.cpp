#include "SoftenPlugin.h"

#include <algorithm>

QImage SoftenPlugin::ApplyFilter(QImage image)
{
    const QImage in = image.convertToFormat(QImage::Format_ARGB32);
    QImage out(in.size(), QImage::Format_ARGB32);
    const int w = in.width(), h = in.height();
    for (int y = 0; y < h; ++y) {
        auto *dst = reinterpret_cast<QRgb *>(out.scanLine(y));
        for (int x = 0; x < w; ++x) {
            int sum[4] = {0, 0, 0, 0};
            for (int dy = -1; dy <= 1; ++dy) {
                const auto *line = reinterpret_cast<const QRgb *>(in.constScanLine(std::clamp(y + dy, 0, h - 1)));
                for (int dx = -1; dx <= 1; ++dx) {
                    const QRgb p = line[std::clamp(x + dx, 0, w - 1)];
                    sum[0] += qRed(p);
                    sum[1] += qGreen(p);
                    sum[2] += qBlue(p);
                    sum[3] += qAlpha(p);
                }
            }
            dst[x] = qRgba(sum[0] / 9, sum[1] / 9, sum[2] / 9, sum[3] / 9);
        }
    }
    return out;
}
