#include "PixelateFilter.h"
#include "QCLContext.h"

namespace {
const QString kSize = QStringLiteral("size");

int blockOffset(int c, int n, int size)
{
    const int d = n - c % n;
    return c + d < size ? d : 0;
}
} // namespace

PixelateFilter::PixelateFilter(QObject *pParent)
    : DialogFilter(QStringLiteral("Pixelate"), QStringLiteral(":/icons/pixelate.png"), QStringLiteral("offsetFilters.cl"),
                   {QStringLiteral("pixelate")}, pParent)
{
}

FilterParams PixelateFilter::Params() const
{
    return {FilterParam{kSize, 2, 175, {2}, QStringLiteral("pixel size")}.reaching(1)};
}

FilterForm PixelateFilter::Form() const
{
    return FilterForm::SizeDialog(QStringLiteral("Pixelate"));
}

bool PixelateFilter::Enqueue(FilterBuffers &buffers, const FilterValues &values, QCLBuffer &output)
{
    return EnqueuePart(buffers, values, output, QRect(0, 0, buffers.width(), buffers.height()));
}

bool PixelateFilter::EnqueuePart(FilterBuffers &buffers, const FilterValues &values, QCLBuffer &output,
                                 const QRect &area)
{
    QCLKernel &kernel = Kernel(0);
    CoverBlocks(kernel, area, QSize(buffers.width(), buffers.height()));
    return !kernel(buffers.inputBuffer(), output, values.value(kSize), buffers.width(), buffers.height(),
                   area.bottom() + 1)
                .isNull();
}

QImage pixelateReference(const QImage &image, int iSize)
{
    const QImage in = image.convertToFormat(QImage::Format_ARGB32);
    QImage out(in.size(), QImage::Format_ARGB32);
    for (int y = 0; y < in.height(); ++y) {
        const auto *src = reinterpret_cast<const quint32 *>(in.constScanLine(y + blockOffset(y, iSize, in.height())));
        auto *dst = reinterpret_cast<quint32 *>(out.scanLine(y));
        for (int x = 0; x < in.width(); ++x)
            dst[x] = src[x + blockOffset(x, iSize, in.width())];
    }
    return out;
}

QImage PixelateFilter::Reference(const QImage &image, const FilterValues &values) const
{
    return pixelateReference(image, values.value(kSize));
}
