#include "FilterLanding.h"

#include "PixelOps.h"

#include <cstring>

namespace FilterLanding {

namespace {

QImage argb32(const QImage &image)
{
    return image.format() == QImage::Format_ARGB32 ? image : image.convertToFormat(QImage::Format_ARGB32);
}

} // namespace

QImage Land(const QImage &originalIn, const QImage &resultIn, const QRegion &selection, const QImage &mask)
{
    const QImage result = argb32(resultIn);
    if (selection.isEmpty() && mask.isNull())
        return result;
    const QImage original = argb32(originalIn);
    QImage out = original.copy();
    const QImage coverage = mask.isNull() ? QImage() : argb32(mask);
    PixelOps::Replace(result, original, out, original.rect(), selection, coverage.isNull() ? nullptr : &coverage);
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
