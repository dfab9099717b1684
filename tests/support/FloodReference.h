#pragma once
// A plain flood, pixel by pixel, to hold the fill and the wand against: the
// matching rules written out on their own and a queue of single pixels.
#include <QImage>
#include <QRandomGenerator>
#include <QRegion>

#include <deque>
#include <vector>

namespace cqtest {

inline bool referenceMatch(bool bWand, QRgb target, QRgb pixel, int t)
{
    const auto within = [t](int a, int b) { return a - t < b && b < a + t; };
    const bool rgb = within(qRed(target), qRed(pixel)) && within(qGreen(target), qGreen(pixel))
                     && within(qBlue(target), qBlue(pixel));
    if (bWand)
        return rgb;
    if (qAlpha(target) == 0)
        return qAlpha(pixel) < t;
    return rgb && within(qAlpha(target), qAlpha(pixel));
}

// One flag per pixel, row-major: 1 where the flood from `seed` reaches.
inline std::vector<char> referenceFlood(const QImage &image, QPoint seed, bool bWand, int t,
                                        const QRegion &allowed = QRegion())
{
    const int w = image.width(), h = image.height();
    std::vector<char> taken(size_t(w) * h, 0);
    const QRgb target = image.pixel(seed);
    const auto open = [&](int x, int y) {
        return x >= 0 && y >= 0 && x < w && y < h && !taken[size_t(y) * w + x]
               && (allowed.isEmpty() || allowed.contains(QPoint(x, y)))
               && referenceMatch(bWand, target, image.pixel(x, y), t);
    };
    std::deque<QPoint> queue{seed};
    taken[size_t(seed.y()) * w + seed.x()] = 1;
    while (!queue.empty()) {
        const QPoint p = queue.front();
        queue.pop_front();
        for (const QPoint d : {QPoint(1, 0), QPoint(-1, 0), QPoint(0, 1), QPoint(0, -1)}) {
            const QPoint q = p + d;
            if (open(q.x(), q.y())) {
                taken[size_t(q.y()) * w + q.x()] = 1;
                queue.push_back(q);
            }
        }
    }
    return taken;
}

// Few colours close to each other, in runs along rows and down columns, so
// that areas of every shape and size form at moderate tolerances; some
// pixels transparent, some translucent.
inline QImage blotchyImage(int w, int h, quint32 seed)
{
    QRandomGenerator rng(seed);
    QImage image(w, h, QImage::Format_ARGB32);
    const QRgb palette[] = {qRgba(10, 10, 10, 255), qRgba(30, 12, 8, 255),  qRgba(200, 40, 40, 255),
                            qRgba(10, 10, 10, 0),   qRgba(90, 90, 90, 120), qRgba(12, 25, 14, 250)};
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            QRgb p = palette[rng.bounded(6)];
            if (x > 0 && rng.bounded(3))
                p = image.pixel(x - 1, y);
            else if (y > 0 && rng.bounded(2))
                p = image.pixel(x, y - 1);
            image.setPixel(x, y, p);
        }
    return image;
}

} // namespace cqtest
