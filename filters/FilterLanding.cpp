#include "FilterLanding.h"

#include <cstring>

namespace FilterLanding {

namespace {

QImage argb32(const QImage &image)
{
    return image.format() == QImage::Format_ARGB32 ? image : image.convertToFormat(QImage::Format_ARGB32);
}

} // namespace

quint32 Mix(quint32 original, quint32 result, int coverage)
{
    if (coverage <= 0)
        return original;
    if (coverage >= 255)
        return result;
    const int keep = 255 - coverage;
    const int ao = qAlpha(original), ar = qAlpha(result);
    const int weight = ao * keep + ar * coverage; // alpha * 255
    const int alpha = (weight + 127) / 255;
    auto channel = [&](int co, int cr) {
        if (weight == 0)
            return (co * keep + cr * coverage + 127) / 255;
        return int((qint64(co) * ao * keep + qint64(cr) * ar * coverage + weight / 2) / weight);
    };
    return qRgba(channel(qRed(original), qRed(result)), channel(qGreen(original), qGreen(result)),
                 channel(qBlue(original), qBlue(result)), alpha);
}

QImage Land(const QImage &originalIn, const QImage &resultIn, const QRegion &selection, const QImage &mask,
            const QPoint &layerOffset)
{
    const QImage result = argb32(resultIn);
    if (selection.isEmpty() && mask.isNull())
        return result;
    QImage out = argb32(originalIn).copy();
    if (out.size() != result.size())
        return out;
    const QRect bounds = out.rect();
    if (!mask.isNull()) {
        const QImage coverage = argb32(mask);
        const QRect area = bounds & coverage.rect().translated(-layerOffset);
        for (int y = area.top(); y <= area.bottom(); ++y) {
            auto *dst = reinterpret_cast<quint32 *>(out.scanLine(y));
            const auto *src = reinterpret_cast<const quint32 *>(result.constScanLine(y));
            const auto *m = reinterpret_cast<const quint32 *>(coverage.constScanLine(y + layerOffset.y()));
            for (int x = area.left(); x <= area.right(); ++x)
                dst[x] = Mix(dst[x], src[x], qAlpha(m[x + layerOffset.x()]));
        }
        return out;
    }
    for (const QRect &rect : selection.translated(-layerOffset)) {
        const QRect area = rect & bounds;
        for (int y = area.top(); y <= area.bottom(); ++y)
            std::memcpy(out.scanLine(y) + size_t(area.left()) * 4, result.constScanLine(y) + size_t(area.left()) * 4,
                        size_t(area.width()) * 4);
    }
    return out;
}

bool SamePixels(const QImage &a, const QImage &b)
{
    if (a.size() != b.size() || a.format() != b.format())
        return false;
    if (a.constBits() == b.constBits())
        return true;
    const size_t rowBytes = size_t(a.width()) * size_t(a.depth() / 8);
    for (int y = 0; y < a.height(); ++y)
        if (std::memcmp(a.constScanLine(y), b.constScanLine(y), rowBytes) != 0)
            return false;
    return true;
}

} // namespace FilterLanding
