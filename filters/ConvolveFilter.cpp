#include "ConvolveFilter.h"
#include "PixelMath.h"
#include "QCLContext.h"

#include <cmath>

namespace {
enum Scratch { kMask };

// As the box blur places its samples: below 0 mirrored without repeating the
// first, past the end mirrored repeating the last, clamped when still outside.
int maskIndex(int c, int n)
{
    if (c < 0)
        c = -c;
    if (c > n - 1)
        c = 2 * n - 1 - c;
    return qBound(0, c, n - 1);
}
} // namespace

ConvolveFilter::ConvolveFilter(const QString &name, const QString &iconPath, const QList<int> &mask, int iFactor,
                               int iOffset, QObject *pParent)
    : KernelFilter(name, iconPath, QStringLiteral("convolutionFilters.cl"), {QStringLiteral("convolve")}, pParent),
      m_mask(mask), m_factor(iFactor), m_offset(iOffset)
{
}

bool ConvolveFilter::Enqueue(FilterBuffers &buffers, const FilterValues &, QCLBuffer &output)
{
    const size_t bytes = size_t(m_mask.size()) * sizeof(int);
    QCLBuffer mask = buffers.scratch(kMask, bytes);
    if (mask.isNull() || !mask.write(m_mask.constData(), bytes))
        return false;
    QCLKernel &kernel = Kernel(0);
    kernel.setGlobalWorkSize(QCLWorkSize(size_t((buffers.width() + 15) / 16), size_t(buffers.height())));
    const int stride = int(std::lround(std::sqrt(double(m_mask.size()))));
    return !kernel(buffers.inputBuffer(), output, mask, buffers.width(), buffers.height(), stride, m_factor, m_offset)
                .isNull();
}

QImage convolveReference(const QImage &image, const QList<int> &mask, int iFactor, int iOffset)
{
    const QImage in = image.convertToFormat(QImage::Format_ARGB32);
    const int width = in.width(), height = in.height();
    const int m = int(std::lround(std::sqrt(double(mask.size())))), h = m / 2;
    QImage out(in.size(), QImage::Format_ARGB32);
    for (int y = 0; y < height; ++y) {
        auto *dst = reinterpret_cast<quint32 *>(out.scanLine(y));
        for (int x = 0; x < width; ++x) {
            int r = 0, g = 0, b = 0;
            for (int j = 0; j < m; ++j) {
                const auto *line = reinterpret_cast<const quint32 *>(in.constScanLine(maskIndex(y + j - h, height)));
                for (int i = 0; i < m; ++i) {
                    const quint32 p = line[maskIndex(x + i - h, width)];
                    const int w = mask[j * m + i];
                    r += qRed(p) * w;
                    g += qGreen(p) * w;
                    b += qBlue(p) * w;
                }
            }
            const quint32 own = reinterpret_cast<const quint32 *>(in.constScanLine(y))[x];
            dst[x] = PixelMath::WithRgb(own, r / iFactor + iOffset, g / iFactor + iOffset, b / iFactor + iOffset);
        }
    }
    return out;
}

QImage ConvolveFilter::Reference(const QImage &image, const FilterValues &) const
{
    return convolveReference(image, m_mask, m_factor, m_offset);
}
