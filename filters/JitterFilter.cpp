#include "JitterFilter.h"
#include "QCLContext.h"
#include "Random.h"

#include <limits>

namespace {
const QString kSize = QStringLiteral("size");
const QString kSeed = QStringLiteral("seed");

// An integer hash with good mixing in every bit; the kernel has the same.
quint32 mixBits(quint32 x)
{
    x ^= x >> 16;
    x *= 0x7feb352du;
    x ^= x >> 15;
    x *= 0x846ca68bu;
    x ^= x >> 16;
    return x;
}

quint32 drawSeed()
{
    return quint32(Random::Bounded(0, std::numeric_limits<int>::max()));
}
} // namespace

JitterFilter::JitterFilter(QObject *pParent)
    : DialogFilter(QStringLiteral("Jitter"), QString(), QStringLiteral("offsetFilters.cl"), {QStringLiteral("jitter")},
                   pParent),
      m_seed(drawSeed())
{
}

FilterParams JitterFilter::Params() const
{
    FilterParam seed{kSeed, 0, std::numeric_limits<int>::max(), {0}, QString(), FilterParam::Hidden};
    seed.optional = true;
    return {FilterParam{kSize, 2, 175, {2}, QStringLiteral("pixel size")}.reaching(1), seed};
}

FilterForm JitterFilter::Form() const
{
    return FilterForm::SizeDialog(QStringLiteral("Jitter"));
}

quint32 JitterFilter::Key(quint32 iSeed)
{
    return mixBits(iSeed);
}

int JitterFilter::PixelSeed(quint32 iKey, quint32 iIndex, int iAxis)
{
    return int(mixBits(iKey ^ (2u * iIndex + quint32(iAxis))) & 0xffffffu);
}

QImage JitterFilter::ApplyFilter(QImage image)
{
    m_seed = drawSeed();
    return DialogFilter::ApplyFilter(image);
}

quint32 JitterFilter::SeedOf(const FilterValues &values) const
{
    return values.has(kSeed) ? quint32(values.value(kSeed)) : m_seed.load();
}

bool JitterFilter::Enqueue(FilterBuffers &buffers, const FilterValues &values, QCLBuffer &output)
{
    return EnqueuePart(buffers, values, output, QRect(0, 0, buffers.width(), buffers.height()));
}

bool JitterFilter::EnqueuePart(FilterBuffers &buffers, const FilterValues &values, QCLBuffer &output,
                               const QRect &area)
{
    QCLKernel &kernel = Kernel(0);
    CoverBlocks(kernel, area, QSize(buffers.width(), buffers.height()));
    return !kernel(buffers.inputBuffer(), output, cl_int(Key(SeedOf(values))), values.value(kSize), buffers.width(),
                   buffers.height(), area.bottom() + 1)
                .isNull();
}

QImage jitterReference(const QImage &image, int iSize, quint32 iSeed)
{
    const QImage in = image.convertToFormat(QImage::Format_ARGB32);
    const int width = in.width(), height = in.height(), half = iSize / 2;
    const quint32 key = JitterFilter::Key(iSeed);
    QImage out(in.size(), QImage::Format_ARGB32);
    for (int y = 0; y < height; ++y) {
        auto *dst = reinterpret_cast<quint32 *>(out.scanLine(y));
        for (int x = 0; x < width; ++x) {
            const quint32 index = quint32(y) * quint32(width) + quint32(x);
            int dx = JitterFilter::PixelSeed(key, index, 0) % iSize - half;
            int dy = JitterFilter::PixelSeed(key, index, 1) % iSize - half;
            if (x + dx < 0 || x + dx >= width)
                dx = 0;
            if (y + dy < 0 || y + dy >= height)
                dy = 0;
            dst[x] = reinterpret_cast<const quint32 *>(in.constScanLine(y + dy))[x + dx];
        }
    }
    return out;
}

QImage JitterFilter::Reference(const QImage &image, const FilterValues &values) const
{
    return jitterReference(image, values.value(kSize), SeedOf(values));
}
