#pragma once
// Layer styles written the slow, obvious way, for tests that check the
// styles' pixels and the pictures layers draw with them.
#include "TestSupport.h"

#include <QColor>
#include <QImage>
#include <QRect>

namespace cqtest {

// An image that is transparent round a block of varied alpha, as layers are.
inline QImage shapeImage(int w, int h, quint32 seed, const QRect &block)
{
    QImage image = patternImage(w, h, seed);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            if (!block.contains(x, y))
                image.setPixel(x, y, image.pixel(x, y) & 0x00ffffffu);
    return image;
}

// The mask: the colour, with the alpha scaled by opacity/255 and truncated.
inline QImage naiveMask(const QImage &source, int opacity, const QColor &color)
{
    QImage mask(source.size(), QImage::Format_ARGB32);
    for (int y = 0; y < source.height(); ++y)
        for (int x = 0; x < source.width(); ++x)
            mask.setPixel(x, y, qRgba(color.red(), color.green(), color.blue(),
                                      int(qAlpha(source.pixel(x, y)) * float(opacity / 255.0))));
    return mask;
}

// The glow: for each pixel, the alphas of the `blur` pixels of its line
// ending at it and of those starting at it, each summed and divided by blur,
// added and clamped; along the rows, then the columns. Colours stay.
inline QImage naiveGlow(const QImage &mask, int blur)
{
    auto pass = [blur](const QImage &in, bool bRows) {
        QImage out(in.size(), QImage::Format_ARGB32);
        const int count = bRows ? in.width() : in.height();
        for (int y = 0; y < in.height(); ++y)
            for (int x = 0; x < in.width(); ++x) {
                const int i = bRows ? x : y;
                auto alphaAt = [&](int j) { return qAlpha(bRows ? in.pixel(j, y) : in.pixel(x, j)); };
                int a = 0;
                if (blur > 0) {
                    int before = 0, after = 0;
                    for (int j = qMax(0, i - blur + 1); j <= i; ++j)
                        before += alphaAt(j);
                    for (int j = i; j < qMin(count, i + blur); ++j)
                        after += alphaAt(j);
                    a = qMin(before / blur + after / blur, 255);
                }
                out.setPixel(x, y, (in.pixel(x, y) & 0x00ffffffu) | (quint32(a) << 24));
            }
        return out;
    };
    return pass(pass(mask, true), false);
}

// Pixels whose channels differ by more than the tolerance; -1 for other sizes.
inline qint64 offByMoreThan(const QImage &a, const QImage &b, int tolerance)
{
    if (a.size() != b.size())
        return -1;
    qint64 count = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            count += qAbs(qRed(p) - qRed(q)) > tolerance || qAbs(qGreen(p) - qGreen(q)) > tolerance
                     || qAbs(qBlue(p) - qBlue(q)) > tolerance || qAbs(qAlpha(p) - qAlpha(q)) > tolerance;
        }
    return count;
}

} // namespace cqtest
