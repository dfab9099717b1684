#include "LayerOuterGlow.h"

#include "LayerStyleDevice.h"

#include <algorithm>

QByteArray LayerOuterGlow::EncodeParams() const
{
    QByteArray params;
    AppendParam(&params, m_iDistance);
    AppendParam(&params, m_iOpacity);
    return params + EncodeColor(m_color);
}

bool LayerOuterGlow::DecodeParams(const QByteArray &params)
{
    if (params.size() != 24)
        return false;
    const qint32 iDistance = ParamAt(params, 0), iOpacity = ParamAt(params, 1);
    QColor color;
    if (iDistance < 0 || iDistance > kMaxDistance || iOpacity < 0 || iOpacity > kMaxOpacity
        || !DecodeColor(params, 2, &color))
        return false;
    setDistance(iDistance);
    setOpacity(iOpacity);
    setColor(color);
    return true;
}

QStringList LayerOuterGlow::ExtraKernelNames() const
{
    return {QStringLiteral("outerGlowHorizontal"), QStringLiteral("outerGlowVertical")};
}

void LayerOuterGlow::KernelsCreated(const QList<QCLKernel> &kernels)
{
    m_horizontal = kernels.value(0);
    m_vertical = kernels.value(1);
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

// The arithmetic of the kernels' glowLine: `count` pixels `stride` apart.
void glowLine(const quint32 *pIn, quint32 *pOut, int count, size_t stride, int blur)
{
    if (blur < 1) {
        for (int i = 0; i < count; ++i)
            pOut[i * stride] = withAlpha(pIn[i * stride], 0);
        return;
    }
    int total = 0;
    for (int i = 0; i < count; ++i) {
        total += alphaOf(pIn[i * stride]);
        if (i >= blur)
            total -= alphaOf(pIn[(i - blur) * stride]);
        pOut[i * stride] = withAlpha(pIn[i * stride], std::min(total / blur, 255));
    }
    total = 0;
    for (int i = count - 1; i >= 0; --i) {
        total += alphaOf(pIn[i * stride]);
        if (i + blur < count)
            total -= alphaOf(pIn[(i + blur) * stride]);
        pOut[i * stride] = withAlpha(pIn[i * stride], std::min(total / blur + alphaOf(pOut[i * stride]), 255));
    }
}

} // namespace

void LayerOuterGlow::HorizontalReference(const quint32 *pSrc, quint32 *pDst, int iWidth, int iHeight, int iBlur)
{
    for (int y = 0; y < iHeight; ++y)
        glowLine(pSrc + size_t(y) * size_t(iWidth), pDst + size_t(y) * size_t(iWidth), iWidth, 1, iBlur);
}

void LayerOuterGlow::VerticalReference(const quint32 *pSrc, quint32 *pDst, int iWidth, int iHeight, int iBlur)
{
    for (int x = 0; x < iWidth; ++x)
        glowLine(pSrc + x, pDst + x, iHeight, size_t(iWidth), iBlur);
}

QImage LayerOuterGlow::Reference(const QImage &source, int iDistance, int iOpacity, const QColor &color)
{
    const QImage mask = MaskReference(source, OpacityScale(iOpacity), color);
    if (mask.isNull())
        return QImage();
    QImage rows(mask.size(), QImage::Format_ARGB32);
    QImage glow(mask.size(), QImage::Format_ARGB32);
    HorizontalReference(reinterpret_cast<const quint32 *>(mask.constBits()), reinterpret_cast<quint32 *>(rows.bits()),
                        mask.width(), mask.height(), iDistance);
    VerticalReference(reinterpret_cast<const quint32 *>(rows.constBits()), reinterpret_cast<quint32 *>(glow.bits()),
                      mask.width(), mask.height(), iDistance);
    return glow;
}

bool LayerOuterGlow::ComputeOnDevice(LayerStyleDevice *pDevice, const QImage &source, QImage *pPicture,
                                      QPoint *pAt)
{
    *pAt = QPoint();
    // No glow at distance 0: nothing to compute or draw.
    if (m_iDistance < 1) {
        *pPicture = QImage();
        return true;
    }
    if (!MaskOnDevice(pDevice, source))
        return false;
    const int w = source.width(), h = source.height();
    m_horizontal.setGlobalWorkSize(QCLWorkSize(size_t(h)));
    if (m_horizontal(pDevice->work(0), pDevice->work(1), w, m_iDistance).isNull())
        return false;
    m_vertical.setGlobalWorkSize(QCLWorkSize(size_t((w + kColumnsPerItem - 1) / kColumnsPerItem)));
    if (m_vertical(pDevice->work(1), pDevice->work(0), w, h, m_iDistance).isNull())
        return false;
    return pDevice->Read(0, pPicture);
}

QImage LayerOuterGlow::ComputeReference(const QImage &source, QPoint *pAt) const
{
    *pAt = QPoint();
    if (m_iDistance < 1)
        return QImage();
    return Reference(source, m_iDistance, m_iOpacity, m_color);
}
