#include "Feather.h"
#include "ProgramCache.h"
#include "QCLContext.h"

#include <algorithm>
#include <memory>

static const char kProgramPath[] = ":/Filters/imageBlend.cl";

Feather::Feather(ProgramCache &cache) : m_context(&cache.context())
{
    const QCLProgram program = cache.program(QLatin1String(kProgramPath));
    if (program.isNull()) {
        m_error = QStringLiteral("Unable to build ") + QLatin1String(kProgramPath);
        return;
    }
    m_horizontal = program.createKernel(QStringLiteral("featherHorizontal"));
    if (m_horizontal.isNull()) {
        m_error = QStringLiteral("featherHorizontal() kernel not found");
        return;
    }
    m_vertical = program.createKernel(QStringLiteral("featherVertical"));
    if (m_vertical.isNull())
        m_error = QStringLiteral("featherVertical() kernel not found");
}

QImage Feather::apply(const QImage &image, int radius)
{
    if (!isValid() || image.isNull())
        return QImage();
    const QImage source = image.convertToFormat(QImage::Format_ARGB32);
    const int width = source.width();
    const int height = source.height();
    const size_t bytes = size_t(source.sizeInBytes());

    QCLBuffer in = m_context->createBufferCopy(source.constBits(), bytes, QCLMemoryObject::ReadOnly);
    QCLBuffer middle = m_context->createBufferDevice(bytes, QCLMemoryObject::ReadWrite);
    QCLBuffer out = m_context->createBufferDevice(bytes, QCLMemoryObject::WriteOnly);
    if (in.isNull() || middle.isNull() || out.isNull())
        return QImage();

    const int r = std::max(radius, 1);
    m_horizontal.setGlobalWorkSize(QCLWorkSize(size_t(height)));
    if (m_horizontal(in, middle, width, r).isNull())
        return QImage();
    m_vertical.setGlobalWorkSize(QCLWorkSize(size_t(width)));
    if (m_vertical(middle, out, width, height, r).isNull())
        return QImage();

    QImage result(width, height, QImage::Format_ARGB32);
    if (result.isNull() || !out.read(result.bits(), bytes))
        return QImage();
    return result;
}

namespace {

inline int alphaOf(quint32 p)
{
    return int(p >> 24);
}

inline quint32 withAlpha(quint32 p, int a)
{
    return (p & 0x00ffffffu) | (quint32(a & 0xff) << 24);
}

inline int boxAverage(int sum, int radius)
{
    return std::clamp(sum / radius, 0, 255);
}

// One row or column: `count` pixels `stride` apart.
void featherLine(const quint32 *in, quint32 *out, int count, size_t stride, int radius)
{
    int sum = 0;
    for (int i = 0; i < count; ++i) {
        sum += alphaOf(in[size_t(i) * stride]);
        if (i >= radius)
            sum -= alphaOf(in[size_t(i - radius) * stride]);
        out[size_t(i) * stride] = withAlpha(in[size_t(i) * stride], boxAverage(sum, radius));
    }
    sum = 0;
    for (int i = count - 1; i >= 0; --i) {
        sum += alphaOf(in[size_t(i) * stride]);
        if (i + radius < count)
            sum -= alphaOf(in[size_t(i + radius) * stride]);
        quint32 &o = out[size_t(i) * stride];
        o = withAlpha(o, std::min(alphaOf(o) + boxAverage(sum, radius), 255));
    }
}

} // namespace

void Feather::horizontalPass(const quint32 *src, quint32 *dst, int width, int height, int radius)
{
    const int r = std::max(radius, 1);
    for (int y = 0; y < height; ++y)
        featherLine(src + size_t(y) * size_t(width), dst + size_t(y) * size_t(width), width, 1, r);
}

void Feather::verticalPass(const quint32 *src, quint32 *dst, int width, int height, int radius)
{
    const int r = std::max(radius, 1);
    for (int x = 0; x < width; ++x)
        featherLine(src + x, dst + x, height, size_t(width), r);
}

QImage Feather::reference(const QImage &image, int radius)
{
    if (image.isNull())
        return QImage();
    const QImage source = image.convertToFormat(QImage::Format_ARGB32);
    const int width = source.width();
    const int height = source.height();
    QImage middle(width, height, QImage::Format_ARGB32);
    QImage result(width, height, QImage::Format_ARGB32);
    horizontalPass(reinterpret_cast<const quint32 *>(source.constBits()),
                   reinterpret_cast<quint32 *>(middle.bits()), width, height, radius);
    verticalPass(reinterpret_cast<const quint32 *>(middle.constBits()),
                 reinterpret_cast<quint32 *>(result.bits()), width, height, radius);
    return result;
}

std::function<QImage(const QImage &, int)> Feather::Featherer(ProgramCache &cache)
{
    auto pFeather = std::make_shared<std::unique_ptr<Feather>>();
    return [pFeather, &cache](const QImage &shape, int radius) {
        if (!*pFeather)
            *pFeather = std::make_unique<Feather>(cache);
        if ((*pFeather)->isValid()) {
            const QImage result = (*pFeather)->apply(shape, radius);
            if (!result.isNull())
                return result;
        }
        return reference(shape, radius);
    };
}
