#pragma once
// Small pieces of pixel arithmetic shared by the filters' host references.
// A pixel is a 32-bit ARGB value, straight (not premultiplied) alpha.
#include <QImage>
#include <QtGlobal>

namespace PixelMath {

inline int Clamp255(int v)
{
    return v < 0 ? 0 : (v > 255 ? 255 : v);
}

// Keeps alpha, clamps and packs the three colour channels.
inline quint32 WithRgb(quint32 pixel, int r, int g, int b)
{
    return (pixel & 0xff000000u) | (quint32(Clamp255(r)) << 16) | (quint32(Clamp255(g)) << 8) | quint32(Clamp255(b));
}

// Sample index c in a line of n, as the box blur and the square masks take
// samples past the edges: below 0 it mirrors without repeating the first
// sample (-1 -> 1), past the end it mirrors repeating the last one
// (n -> n - 1); whatever still falls outside (lines shorter than the reach)
// is clamped.
inline int MirrorIndex(int c, int n)
{
    if (c < 0)
        c = -c;
    if (c > n - 1)
        c = 2 * n - 1 - c;
    return c < 0 ? 0 : (c > n - 1 ? n - 1 : c);
}

// A 32-bit ARGB copy of `image` with `f` applied to every pixel.
template <typename F>
QImage MapPixels(const QImage &image, F f)
{
    QImage out = image.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < out.height(); ++y) {
        auto *line = reinterpret_cast<quint32 *>(out.scanLine(y));
        for (int x = 0; x < out.width(); ++x)
            line[x] = f(line[x]);
    }
    return out;
}

} // namespace PixelMath
