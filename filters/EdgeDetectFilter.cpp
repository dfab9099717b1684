#include "EdgeDetectFilter.h"
#include "QCLContext.h"

#include <cstdlib>

EdgeDetectFilter::EdgeDetectFilter(QObject *pParent)
    : KernelFilter(QStringLiteral("Edge Detect/Color Difference"), QStringLiteral(":/icons/color_to_gray.png"),
                   QStringLiteral("edgeDetect.cl"), {QStringLiteral("difference")}, pParent)
{
}

bool EdgeDetectFilter::Enqueue(FilterBuffers &buffers, const FilterValues &, QCLBuffer &output)
{
    QCLKernel &kernel = Kernel(0);
    kernel.setGlobalWorkSize(QCLWorkSize(size_t((buffers.width() + 15) / 16), size_t(buffers.height())));
    return !kernel(buffers.inputBuffer(), output, buffers.width(), buffers.height()).isNull();
}

QImage edgeDetectReference(const QImage &image)
{
    const QImage in = image.convertToFormat(QImage::Format_ARGB32);
    const int width = in.width(), height = in.height();
    auto at = [&in, width, height](int x, int y) {
        x = (x + width) % width;
        y = (y + height) % height;
        return reinterpret_cast<const quint32 *>(in.constScanLine(y))[x];
    };
    QImage out(in.size(), QImage::Format_ARGB32);
    for (int y = 0; y < height; ++y) {
        auto *dst = reinterpret_cast<quint32 *>(out.scanLine(y));
        for (int x = 0; x < width; ++x) {
            const quint32 pairs[4][2] = {{at(x + 1, y - 1), at(x - 1, y + 1)},
                                         {at(x + 1, y + 1), at(x - 1, y - 1)},
                                         {at(x, y - 1), at(x, y + 1)},
                                         {at(x + 1, y), at(x - 1, y)}};
            quint32 result = at(x, y) & 0xff000000u;
            for (int shift = 0; shift < 24; shift += 8) {
                int largest = 0;
                for (const auto &pair : pairs)
                    largest = qMax(largest, std::abs(int((pair[0] >> shift) & 255) - int((pair[1] >> shift) & 255)));
                result |= quint32(largest) << shift;
            }
            dst[x] = result;
        }
    }
    return out;
}

QImage EdgeDetectFilter::Reference(const QImage &image, const FilterValues &) const
{
    return edgeDetectReference(image);
}
