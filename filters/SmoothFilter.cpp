#include "SmoothFilter.h"
#include "PixelMath.h"
#include "QCLContext.h"

namespace {
enum Scratch { kRowSums, kGreenSums };
const QString kSize = QStringLiteral("size");
// Each window sum starts from scratch once per chunk of a row and once per
// band of rows; long chunks and bands keep that cost small for big windows.
constexpr int kChunk = 512;    // pixels per work item along a row
constexpr int kBand = 256;     // rows per work group down the columns
constexpr size_t kGroup = 256; // column blocks per work group at most
} // namespace

SmoothFilter::SmoothFilter(QObject *pParent)
    : DialogFilter(QStringLiteral("Blurs/Box"), QStringLiteral(":/icons/water_drop.png"),
                   QStringLiteral("convolutionFilters.cl"),
                   {QStringLiteral("boxSumRows"), QStringLiteral("boxSumColumns")}, pParent)
{
}

FilterParams SmoothFilter::Params() const
{
    return {{kSize, 2, 175, {2}, QStringLiteral("pixel size")}};
}

FilterForm SmoothFilter::Form() const
{
    return FilterForm::SizeDialog(QStringLiteral("Box Blur"));
}

bool SmoothFilter::Enqueue(FilterBuffers &buffers, const FilterValues &values, QCLBuffer &output)
{
    const int size = values.value(kSize);
    const int width = buffers.width(), height = buffers.height();
    const int pitch = (width + 15) / 16 * 16;
    QCLBuffer rowSums = buffers.scratch(kRowSums, size_t(pitch) * size_t(height) * 4);
    QCLBuffer greenSums = buffers.scratch(kGreenSums, size_t(pitch) * size_t(height) * 2);
    if (rowSums.isNull() || greenSums.isNull())
        return false;
    QCLKernel &rows = Kernel(0);
    QCLKernel &columns = Kernel(1);
    rows.setGlobalWorkSize(QCLWorkSize(size_t((width + kChunk - 1) / kChunk), size_t(height)));
    const size_t blocks = size_t(pitch / 16);
    const size_t group = qMin(qMin(kGroup, blocks), columns.maximumWorkGroupSize());
    columns.setGlobalWorkSize(QCLWorkSize((blocks + group - 1) / group * group, size_t((height + kBand - 1) / kBand)));
    columns.setLocalWorkSize(QCLWorkSize(group, 1));
    return !rows(buffers.inputBuffer(), rowSums, greenSums, width, size, pitch, kChunk).isNull()
        && !columns(buffers.inputBuffer(), rowSums, greenSums, output, width, height, size, pitch, kBand).isNull();
}

QImage boxBlurReference(const QImage &image, int iSize)
{
    const QImage in = image.convertToFormat(QImage::Format_ARGB32);
    const int width = in.width(), height = in.height(), half = iSize / 2;
    const int area = iSize * iSize;
    QImage out(in.size(), QImage::Format_ARGB32);
    for (int y = 0; y < height; ++y) {
        auto *dst = reinterpret_cast<quint32 *>(out.scanLine(y));
        for (int x = 0; x < width; ++x) {
            int r = 0, g = 0, b = 0;
            for (int j = 0; j < iSize; ++j) {
                const auto *line = reinterpret_cast<const quint32 *>(in.constScanLine(PixelMath::MirrorIndex(y + j - half, height)));
                for (int i = 0; i < iSize; ++i) {
                    const quint32 p = line[PixelMath::MirrorIndex(x + i - half, width)];
                    r += qRed(p);
                    g += qGreen(p);
                    b += qBlue(p);
                }
            }
            const quint32 own = reinterpret_cast<const quint32 *>(in.constScanLine(y))[x];
            dst[x] = PixelMath::WithRgb(own, r / area, g / area, b / area);
        }
    }
    return out;
}

QImage SmoothFilter::Reference(const QImage &image, const FilterValues &values) const
{
    return boxBlurReference(image, values.value(kSize));
}
