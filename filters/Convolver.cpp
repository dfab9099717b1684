#include "Convolver.h"

#include "FilterBuffers.h"
#include "PixelMath.h"
#include "ProgramCache.h"
#include "QCLContext.h"

namespace {
const QString kProgramPath = QStringLiteral(":/Filters/convolutionFilters.cl");
constexpr int kLanes = 16; // pixels per work item along a row

// n divided by the factor, truncated toward zero; a factor of 0 counts as 1.
int divided(int n, int iFactor)
{
    return iFactor == 0 ? n : n / iFactor;
}
} // namespace

Convolver::Convolver(ProgramCache &cache) : m_pContext(&cache.context())
{
    const QCLProgram program = cache.program(kProgramPath);
    if (program.isNull()) {
        m_error = cache.buildReport().value(kProgramPath);
        if (m_error.isEmpty())
            m_error = kProgramPath + QStringLiteral(" could not be built.");
        return;
    }
    m_kernel = program.createKernel(QStringLiteral("convolve"));
    if (m_kernel.isNull())
        m_error = QStringLiteral("convolve() kernel not found");
}

QImage Convolver::Run(const QImage &image, const ConvolutionMask &mask)
{
    if (!isValid() || image.isNull() || !mask.isValid())
        return QImage();
    const QImage argb = image.format() == QImage::Format_ARGB32 ? image : image.convertToFormat(QImage::Format_ARGB32);
    // The image's own memory backs the input and the result's the output,
    // so a CPU device reads and writes them in place. The result's memory
    // is used again once its last reader let it go: fresh memory of a
    // layer's size costs page faults worth half the filter.
    FilterBuffers buffers(*m_pContext, argb);
    if (m_output.image.size() != argb.size() || !m_output.image.isDetached() || m_output.isNull())
        m_output = buffers.takeOutput();
    FilterBuffers::Output output = m_output;
    QCLBuffer weights = m_pContext->createBufferCopy(mask.weights.constData(), size_t(mask.weights.size()) * sizeof(int),
                                                     QCLMemoryObject::ReadOnly);
    if (buffers.inputBuffer().isNull() || output.isNull() || weights.isNull())
        return QImage();
    const int width = argb.width(), height = argb.height();
    m_kernel.setGlobalWorkSize(QCLWorkSize(size_t((width + kLanes - 1) / kLanes), size_t(height)));
    if (m_kernel(buffers.inputBuffer(), output.buffer, weights, width, height, mask.stride, mask.factor, mask.offset)
            .isNull()
        || !FilterBuffers::fetch(output))
        return QImage();
    return output.image;
}

QImage Convolver::Reference(const QImage &image, const ConvolutionMask &mask)
{
    if (image.isNull() || !mask.isValid())
        return QImage();
    const QImage in = image.convertToFormat(QImage::Format_ARGB32);
    const int width = in.width(), height = in.height(), m = mask.stride, h = m / 2;
    QImage out(in.size(), QImage::Format_ARGB32);
    for (int y = 0; y < height; ++y) {
        auto *dst = reinterpret_cast<quint32 *>(out.scanLine(y));
        for (int x = 0; x < width; ++x) {
            int r = 0, g = 0, b = 0;
            for (int j = 0; j < m; ++j) {
                const auto *line =
                    reinterpret_cast<const quint32 *>(in.constScanLine(PixelMath::MirrorIndex(y + j - h, height)));
                for (int i = 0; i < m; ++i) {
                    const quint32 p = line[PixelMath::MirrorIndex(x + i - h, width)];
                    const int w = mask.weights[j * m + i];
                    r += qRed(p) * w;
                    g += qGreen(p) * w;
                    b += qBlue(p) * w;
                }
            }
            const quint32 own = reinterpret_cast<const quint32 *>(in.constScanLine(y))[x];
            dst[x] = PixelMath::WithRgb(own, divided(r, mask.factor) + mask.offset, divided(g, mask.factor) + mask.offset,
                                        divided(b, mask.factor) + mask.offset);
        }
    }
    return out;
}
