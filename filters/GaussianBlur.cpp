#include "GaussianBlur.h"
#include "PixelMath.h"
#include "QCLContext.h"

#include <cmath>

namespace {
enum Scratch { kWeights, kIntermediate, kRing };
const QString kRadius = QStringLiteral("radius");

// Column (or row) of offset o from c: mirrored without repeating the first
// sample below 0, n - 1 - o past the end, clamped when still outside.
int gaussianIndex(int c, int o, int n)
{
    int i = c + o;
    if (i < 0)
        i = -i;
    else if (i > n - 1)
        i = n - 1 - o;
    return qBound(0, i, n - 1);
}
} // namespace

GaussianBlur::GaussianBlur(QObject *pParent)
    : DialogFilter(QStringLiteral("Blurs/Gaussian"), QStringLiteral(":/icons/water_drop.png"),
                   QStringLiteral("convolutionFilters.cl"),
                   {QStringLiteral("convolve1DHorizontal"), QStringLiteral("convolve1DVertical")}, pParent)
{
}

FilterParams GaussianBlur::Params() const
{
    // Shown in the size dialog: its controls keep their names.
    return {FilterParam{kRadius, 3, 175, {3}, QStringLiteral("pixel size"), FilterParam::Slider, QStringLiteral("size")}
                .reaching(1)};
}

FilterForm GaussianBlur::Form() const
{
    return FilterForm::SizeDialog(QStringLiteral("Gaussian Blur"));
}

QList<float> GaussianBlur::Weights(int iRadius)
{
    const float sigma = float(iRadius / 3);
    const float norm = float(1.0 / std::sqrt(2.0 * double(sigma) * double(sigma) * M_PI));
    QList<float> weights;
    float sum = 0.0f;
    for (int i = -iRadius; i <= iRadius; ++i) {
        const float w = std::pow(2.7182817f, -float(i * i) / (2.0f * sigma * sigma)) * norm;
        weights.append(w);
        sum += w;
    }
    for (float &w : weights)
        w /= sum;
    return weights;
}

int GaussianBlur::SamplesPerPixel(const FilterValues &values) const
{
    return 2 * (2 * values.value(kRadius) + 1);
}

bool GaussianBlur::Enqueue(FilterBuffers &buffers, const FilterValues &values, QCLBuffer &output)
{
    const QRect whole(0, 0, buffers.width(), buffers.height());
    const int radius = values.value(kRadius);
    // A dialog's previews may have made part of the whole intermediate already.
    if (RingRows(whole.size(), radius) == whole.height()
        || !buffers.scratchKept(kIntermediate, quint64(radius)).isEmpty())
        return EnqueuePart(buffers, values, output, whole);
    return Blur(Kernel(0), Kernel(1), buffers, buffers.inputBuffer(), output, radius, kWeights, kRing);
}

bool GaussianBlur::EnqueuePart(FilterBuffers &buffers, const FilterValues &values, QCLBuffer &output,
                               const QRect &area)
{
    const int radius = values.value(kRadius);
    return BlurKept(Kernel(0), Kernel(1), buffers, buffers.inputBuffer(), kIntermediate, quint64(radius), output,
                    radius, kWeights, area, Margin(values));
}

int GaussianBlur::RingRows(const QSize &image, int iRadius)
{
    // Up to the size whose blocks are kept for reuse a whole intermediate
    // costs nothing and launches least; past it a ring holds a band of
    // output rows and the rows above and below that the band reaches. Every
    // row is filtered horizontally once either way.
    constexpr qsizetype kWholeBytes = qsizetype(64) << 20;
    const int ring = qMax(256, 2 * iRadius) + 2 * iRadius;
    return qsizetype(image.width()) * image.height() * 4 <= kWholeBytes || ring >= image.height() ? image.height()
                                                                                                   : ring;
}

namespace {
bool writeWeights(FilterBuffers &buffers, int iRadius, int iWeightSlot, QCLBuffer *pMask)
{
    const QList<float> weights = GaussianBlur::Weights(iRadius);
    const size_t bytes = size_t(weights.size()) * sizeof(float);
    *pMask = buffers.scratch(iWeightSlot, bytes);
    return !pMask->isNull() && pMask->write(weights.constData(), bytes);
}

// A band of whole rows: work groups along the row, as the whole image's
// launch gets them, of one shape for every band.
void coverRows(QCLKernel &kernel, int top, int rows, int width)
{
    const size_t blocks = size_t((width + 15) / 16);
    const size_t group = qMin<size_t>(blocks, 64);
    kernel.setGlobalWorkOffset(QCLWorkSize(0, size_t(top)));
    kernel.setGlobalWorkSize(QCLWorkSize((blocks + group - 1) / group * group, size_t(rows)));
    kernel.setLocalWorkSize(QCLWorkSize(group, 1));
}
} // namespace

bool GaussianBlur::Blur(QCLKernel &horizontal, QCLKernel &vertical, FilterBuffers &buffers, const QCLBuffer &from,
                        const QCLBuffer &to, int iRadius, int iWeightSlot, int iMiddleSlot, int iRingRows)
{
    const int width = buffers.width(), height = buffers.height();
    const QSize image(width, height);
    const int ring = iRingRows > 0 ? qMin(iRingRows, height) : RingRows(image, iRadius);
    if (ring < height && ring <= 2 * iRadius)
        return false;
    QCLBuffer middle = buffers.scratch(iMiddleSlot, size_t(ring) * size_t(width) * 4);
    QCLBuffer mask;
    if (middle.isNull() || !writeWeights(buffers, iRadius, iWeightSlot, &mask))
        return false;
    if (ring == height) {
        CoverBlocks(horizontal, QRect(QPoint(), image), image);
        CoverBlocks(vertical, QRect(QPoint(), image), image);
        return !horizontal(from, middle, mask, width, iRadius, height, height).isNull()
            && !vertical(middle, to, mask, width, height, iRadius, height, height).isNull();
    }
    // Before a band is written the ring holds every row it reaches (mirrored
    // ones included), and the horizontal pass reads only rows below the
    // bands written so far, so `from` may be `to`.
    const int band = ring - 2 * iRadius;
    int filtered = 0; // rows through the horizontal pass so far
    for (int top = 0; top < height; top += band) {
        const int bottom = qMin(height, top + band);
        const int reach = qMin(height, bottom + iRadius);
        if (reach > filtered) {
            coverRows(horizontal, filtered, reach - filtered, width);
            if (horizontal(from, middle, mask, width, iRadius, reach, ring).isNull())
                return false;
            filtered = reach;
        }
        coverRows(vertical, top, bottom - top, width);
        if (vertical(middle, to, mask, width, height, iRadius, bottom, ring).isNull())
            return false;
    }
    return true;
}

bool GaussianBlur::BlurKept(QCLKernel &horizontal, QCLKernel &vertical, FilterBuffers &buffers,
                            const QCLBuffer &from, int iMiddleSlot, quint64 key, const QCLBuffer &to, int iRadius,
                            int iWeightSlot, const QRect &area, int iMargin)
{
    const int width = buffers.width(), height = buffers.height();
    QCLBuffer mask;
    QCLBuffer middle = buffers.scratch(iMiddleSlot, buffers.pixelCount() * 4);
    if (middle.isNull() || !writeWeights(buffers, iRadius, iWeightSlot, &mask))
        return false;
    // The rows the vertical pass reaches, mirrored ones included.
    const int top = qMax(0, area.top() - iMargin), bottom = qMin(height, area.bottom() + 1 + iMargin);
    const QRegion done = buffers.scratchKept(iMiddleSlot, key);
    const QRegion rows = QRegion(QRect(area.left(), top, area.width(), bottom - top)) - done;
    const QSize image(width, height);
    for (const QRect &rect : rows) {
        CoverBlocks(horizontal, rect, image);
        if (horizontal(from, middle, mask, width, iRadius, rect.bottom() + 1, height).isNull())
            return false;
    }
    buffers.setScratchKept(iMiddleSlot, key, done + rows);
    CoverBlocks(vertical, area, image);
    return !vertical(middle, to, mask, width, height, iRadius, area.bottom() + 1, height).isNull();
}

void gaussianLine(const quint32 *src, quint32 *dst, int n, qsizetype step, const QList<float> &weights)
{
    const int radius = int(weights.size() / 2);
    for (int c = 0; c < n; ++c) {
        float r = 0.0f, g = 0.0f, b = 0.0f;
        for (int o = -radius; o <= radius; ++o) {
            const quint32 p = src[gaussianIndex(c, o, n) * step];
            const float w = weights[o + radius];
            r += float(qRed(p)) * w;
            g += float(qGreen(p)) * w;
            b += float(qBlue(p)) * w;
        }
        dst[c * step] = PixelMath::WithRgb(src[c * step], int(r), int(g), int(b));
    }
}

QImage gaussianBlurReference(const QImage &image, int iRadius)
{
    const QImage in = image.convertToFormat(QImage::Format_ARGB32);
    const QList<float> weights = GaussianBlur::Weights(iRadius);
    const int width = in.width(), height = in.height();
    QImage middle(in.size(), QImage::Format_ARGB32);
    QImage out(in.size(), QImage::Format_ARGB32);
    for (int y = 0; y < height; ++y)
        gaussianLine(reinterpret_cast<const quint32 *>(in.constScanLine(y)),
                     reinterpret_cast<quint32 *>(middle.scanLine(y)), width, 1, weights);
    const auto *mid = reinterpret_cast<const quint32 *>(middle.constBits());
    auto *dst = reinterpret_cast<quint32 *>(out.bits());
    for (int x = 0; x < width; ++x)
        gaussianLine(mid + x, dst + x, height, width, weights);
    return out;
}

QImage GaussianBlur::Reference(const QImage &image, const FilterValues &values) const
{
    return gaussianBlurReference(image, values.value(kRadius));
}
