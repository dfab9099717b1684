#include "PixelOps.h"

#include <QColor>
#include <QPainter>

#include <cstring>

namespace {

inline int channel(quint32 p, int shift)
{
    return int((p >> shift) & 0xff);
}

// The part of `area` that both images can serve, with dst at an offset.
QRect clipped(const QRect &area, const QImage &src, const QImage &dst, const QPoint &dstOrigin)
{
    return area.intersected(src.rect()).intersected(dst.rect().translated(dstOrigin));
}

inline const quint32 *rowOf(const QImage &image, int y)
{
    return reinterpret_cast<const quint32 *>(image.constScanLine(y));
}

inline quint32 *rowOf(QImage &image, int y)
{
    return reinterpret_cast<quint32 *>(image.scanLine(y));
}

} // namespace

namespace PixelOps {

quint32 OverPixel(quint32 s, quint32 b)
{
    const int sa = channel(s, 24);
    if (sa == 0)
        return b;
    if (sa == 255)
        return s;
    const int ba = channel(b, 24);
    if (ba == 0) // nothing below: the stroke's own colour, unpremultiplied
        return qUnpremultiply(s);
    if (ba == 255) { // opaque below stays opaque; divisions by a constant
        quint32 out = 0xff000000u;
        for (int shift = 0; shift < 24; shift += 8) {
            const int c = (channel(s, shift) * 255 + channel(b, shift) * (255 - sa) + 127) / 255;
            out |= quint32(c > 255 ? 255 : c) << shift;
        }
        return out;
    }
    // t is the base's share of the result, scaled by 255 * 255.
    const int t = ba * (255 - sa);
    const int den = sa * 255 + t;
    if (den == 0)
        return b;
    quint32 out = quint32((den + 127) / 255) << 24;
    for (int shift = 0; shift < 24; shift += 8) {
        const int c = (channel(s, shift) * 65025 + channel(b, shift) * t + den / 2) / den;
        out |= quint32(c > 255 ? 255 : c) << shift;
    }
    return out;
}

quint32 MixPixel(quint32 b, quint32 r, int m)
{
    if (m <= 0)
        return b;
    if (m >= 255)
        return r;
    const int wb = channel(b, 24) * (255 - m);
    const int wr = channel(r, 24) * m;
    const int den = wb + wr;
    if (den == 0) // both transparent: keep the colour of the larger share
        return m < 128 ? b : r;
    quint32 out = quint32((den + 127) / 255) << 24;
    for (int shift = 0; shift < 24; shift += 8) {
        const int c = (channel(b, shift) * wb + channel(r, shift) * wr + den / 2) / den;
        out |= quint32(c > 255 ? 255 : c) << shift;
    }
    return out;
}

QImage PaintOnStraight(const QImage &straight, const std::function<void(QPainter &)> &draw)
{
    const QImage before = straight.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    QImage after = before;
    {
        QPainter painter(&after);
        draw(painter);
    }
    QImage result = after.convertToFormat(QImage::Format_ARGB32);
    const QImage source = straight.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < result.height(); ++y) {
        const quint32 *b = rowOf(before, y);
        const quint32 *a = rowOf(after, y);
        const quint32 *s = rowOf(source, y);
        quint32 *r = rowOf(result, y);
        for (int x = 0; x < result.width(); ++x)
            if (a[x] == b[x])
                r[x] = s[x];
    }
    return result;
}

void Copy(const QImage &src, QImage &dst, const QRect &area, const QPoint &dstOrigin)
{
    const QRect r = clipped(area, src, dst, dstOrigin);
    if (r.isEmpty())
        return;
    const size_t bytes = size_t(r.width()) * 4;
    for (int y = r.top(); y <= r.bottom(); ++y)
        std::memcpy(rowOf(dst, y - dstOrigin.y()) + (r.left() - dstOrigin.x()), rowOf(src, y) + r.left(), bytes);
}

// Runs `combine` over every pixel of `area` of stroke and base into dst.
template <class Combine>
void combinePixels(const QImage &stroke, const QImage &base, QImage &dst, const QRect &area, const QPoint &dstOrigin,
                   Combine combine)
{
    const QRect r = clipped(area.intersected(stroke.rect()), base, dst, dstOrigin);
    for (int y = r.top(); y <= r.bottom(); ++y) {
        const quint32 *s = rowOf(stroke, y);
        const quint32 *b = rowOf(base, y);
        quint32 *d = rowOf(dst, y - dstOrigin.y()) - dstOrigin.x();
        for (int x = r.left(); x <= r.right(); ++x)
            d[x] = combine(s[x], b[x]);
    }
}

void Over(const QImage &stroke, const QImage &base, QImage &dst, const QRect &area, const QPoint &dstOrigin)
{
    combinePixels(stroke, base, dst, area, dstOrigin, &OverPixel);
}

void Erase(const QImage &stroke, const QImage &base, QImage &dst, const QRect &area, const QPoint &dstOrigin)
{
    combinePixels(stroke, base, dst, area, dstOrigin, [](quint32 s, quint32 b) {
        const int a = (channel(b, 24) * (255 - channel(s, 24)) + 127) / 255;
        return (b & 0x00ffffffu) | (quint32(a) << 24);
    });
}

void MultiplyByMask(const QImage &src, const QImage &mask, QImage &dst, const QRect &area)
{
    const QRect r = area.intersected(src.rect()).intersected(dst.rect());
    for (int y = r.top(); y <= r.bottom(); ++y) {
        const quint32 *s = rowOf(src, y);
        quint32 *d = rowOf(dst, y);
        const bool bMaskRow = y < mask.height();
        const quint32 *m = bMaskRow ? rowOf(mask, y) : nullptr;
        for (int x = r.left(); x <= r.right(); ++x) {
            const int a = bMaskRow && x < mask.width() ? channel(m[x], 24) : 0;
            const quint32 p = s[x];
            quint32 out = 0;
            for (int shift = 0; shift < 32; shift += 8)
                out |= quint32((channel(p, shift) * a + 127) / 255) << shift;
            d[x] = out;
        }
    }
}

void Replace(const QImage &result, const QImage &base, QImage &dst, const QRect &area, const QRegion &region,
             const QImage *pMask, const QPoint &dstOrigin)
{
    const QRect r = clipped(area.intersected(result.rect()), base, dst, dstOrigin);
    if (r.isEmpty())
        return;
    if (pMask) {
        for (int y = r.top(); y <= r.bottom(); ++y) {
            const quint32 *res = rowOf(result, y);
            const quint32 *b = rowOf(base, y);
            quint32 *d = rowOf(dst, y - dstOrigin.y()) - dstOrigin.x();
            const bool bMaskRow = y < pMask->height();
            const quint32 *m = bMaskRow ? rowOf(*pMask, y) : nullptr;
            for (int x = r.left(); x <= r.right(); ++x)
                d[x] = MixPixel(b[x], res[x], bMaskRow && x < pMask->width() ? channel(m[x], 24) : 0);
        }
        return;
    }
    if (region.isEmpty()) {
        Copy(result, dst, r, dstOrigin);
        return;
    }
    Copy(base, dst, r, dstOrigin);
    for (const QRect &part : region.intersected(r))
        Copy(result, dst, part, dstOrigin);
}

} // namespace PixelOps
