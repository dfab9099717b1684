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
    return {FilterParam{kSize, 2, 175, {2}, QStringLiteral("pixel size")}.reaching(1)};
}

FilterForm SmoothFilter::Form() const
{
    return FilterForm::SizeDialog(QStringLiteral("Box Blur"));
}

int SmoothFilter::SamplesPerPixel(const FilterValues &values) const
{
    Q_UNUSED(values);
    // Running sums: a few samples in and out of each window.
    return 8;
}

bool SmoothFilter::Enqueue(FilterBuffers &buffers, const FilterValues &values, QCLBuffer &output)
{
    return EnqueuePart(buffers, values, output, QRect(0, 0, buffers.width(), buffers.height()));
}

bool SmoothFilter::EnqueuePart(FilterBuffers &buffers, const FilterValues &values, QCLBuffer &output,
                               const QRect &area)
{
    const int size = values.value(kSize), margin = Margin(values);
    const int width = buffers.width(), height = buffers.height();
    const int pitch = (width + 15) / 16 * 16;
    QCLBuffer rowSums = buffers.scratch(kRowSums, size_t(pitch) * size_t(height) * 4);
    QCLBuffer greenSums = buffers.scratch(kGreenSums, size_t(pitch) * size_t(height) * 2);
    if (rowSums.isNull() || greenSums.isNull())
        return false;
    QCLKernel &rows = Kernel(0);
    QCLKernel &columns = Kernel(1);
    // The row sums of every row the column windows reach, mirrored ones
    // included, in whole chunks from the chunk the area starts in.
    const int top = qMax(0, area.top() - margin), bottom = qMin(height, area.bottom() + 1 + margin);
    const int chunk = area.left() / kChunk;
    const size_t chunks = size_t((area.right() + 1 - chunk * kChunk + kChunk - 1) / kChunk);
    const size_t blocks = size_t((area.width() + 15) / 16);
    size_t group = qMin(qMin(kGroup, blocks), columns.maximumWorkGroupSize());
    if (area == QRect(0, 0, width, height)) {
        rows.setGlobalWorkOffset(QCLWorkSize());
        rows.setLocalWorkSize(QCLWorkSize());
        rows.setGlobalWorkSize(QCLWorkSize(chunks, size_t(height)));
        columns.setGlobalWorkOffset(QCLWorkSize());
    } else {
        // Work groups of one shape for every part (see CoverBlocks).
        const int rowCount = (bottom - top + kPartGroupRows - 1) / kPartGroupRows * kPartGroupRows;
        rows.setGlobalWorkOffset(QCLWorkSize(size_t(chunk), size_t(top)));
        rows.setLocalWorkSize(QCLWorkSize(1, size_t(kPartGroupRows)));
        rows.setGlobalWorkSize(QCLWorkSize(chunks, size_t(rowCount)));
        group = qMin<size_t>(16, columns.maximumWorkGroupSize());
        columns.setGlobalWorkOffset(QCLWorkSize(size_t(area.left() / 16), 0));
    }
    columns.setGlobalWorkSize(
        QCLWorkSize((blocks + group - 1) / group * group, size_t((area.height() + kBand - 1) / kBand)));
    columns.setLocalWorkSize(QCLWorkSize(group, 1));
    return !rows(buffers.inputBuffer(), rowSums, greenSums, width, size, pitch, kChunk, bottom).isNull()
        && !columns(buffers.inputBuffer(), rowSums, greenSums, output, width, height, size, pitch, kBand,
                    area.top(), area.right() + 1, area.bottom() + 1)
                .isNull();
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
