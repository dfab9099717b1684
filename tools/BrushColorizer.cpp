#include "BrushColorizer.h"
#include "ProgramCache.h"
#include "QCLContext.h"

#include <algorithm>

static const char kProgramPath[] = ":/Filters/imageBlend.cl";

QString BrushColorizer::ProgramPath()
{
    return QLatin1String(kProgramPath);
}

BrushColorizer::BrushColorizer(ProgramCache &cache) : m_context(&cache.context())
{
    const QCLProgram program = cache.program(QLatin1String(kProgramPath));
    if (program.isNull()) {
        m_error = QStringLiteral("Unable to build ") + QLatin1String(kProgramPath);
        return;
    }
    m_kernel = program.createKernel(QStringLiteral("brushBlend"));
    if (m_kernel.isNull())
        m_error = QStringLiteral("brushBlend() kernel not found");
}

QImage BrushColorizer::Colorize(const QImage &tip, const QColor &color)
{
    if (!isValid() || tip.isNull() || !color.isValid())
        return QImage();
    const QImage source = tip.format() == QImage::Format_ARGB32 ? tip : tip.convertToFormat(QImage::Format_ARGB32);
    const size_t bytes = size_t(source.sizeInBytes());
    if (m_source.isNull() || m_bytes != bytes) {
        m_source = m_context->createBufferCopy(source.constBits(), bytes, QCLMemoryObject::ReadOnly);
        m_result = m_context->createBufferDevice(bytes, QCLMemoryObject::WriteOnly);
        m_bytes = bytes;
        m_tipKey = tip.cacheKey();
    } else if (m_tipKey != tip.cacheKey()) {
        if (!m_source.write(source.constBits(), bytes))
            m_source = QCLBuffer();
        m_tipKey = tip.cacheKey();
    }
    if (m_color.isNull())
        m_color = m_context->createVector<float>(16);
    if (m_source.isNull() || m_result.isNull() || m_color.isNull()) {
        m_source = QCLBuffer();
        return QImage();
    }
    m_color[0] = float(color.redF());
    m_color[1] = float(color.greenF());
    m_color[2] = float(color.blueF());
    m_color[3] = float(color.alphaF());

    m_kernel.setGlobalWorkSize(QCLWorkSize(bytes / 4));
    QImage result(source.size(), QImage::Format_ARGB32);
    if (result.isNull() || m_kernel(m_source, m_color, m_result).isNull() || !m_result.read(result.bits(), bytes))
        return QImage();
    return result;
}

QImage BrushColorizer::Reference(const QImage &tip, const QColor &color)
{
    if (tip.isNull() || !color.isValid())
        return QImage();
    const QImage source = tip.convertToFormat(QImage::Format_ARGB32);
    QImage result(source.size(), QImage::Format_ARGB32);
    const float c[4] = {float(color.redF()), float(color.greenF()), float(color.blueF()), float(color.alphaF())};
    auto channel = [](float v) { return quint32(std::clamp(int(v * 255.0f), 0, 255)); };
    for (int y = 0; y < source.height(); ++y) {
        const auto *in = reinterpret_cast<const quint32 *>(source.constScanLine(y));
        auto *out = reinterpret_cast<quint32 *>(result.scanLine(y));
        for (int x = 0; x < source.width(); ++x) {
            const quint32 p = in[x];
            const float a = float((p >> 24) & 0xffu) / 255.0f * c[3];
            const float r = (1.0f - float((p >> 16) & 0xffu) / 255.0f) * c[0];
            const float g = (1.0f - float((p >> 8) & 0xffu) / 255.0f) * c[1];
            const float b = (1.0f - float(p & 0xffu) / 255.0f) * c[2];
            out[x] = (channel(a) << 24) | (channel(r) << 16) | (channel(g) << 8) | channel(b);
        }
    }
    return result;
}
