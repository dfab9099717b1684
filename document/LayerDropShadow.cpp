#include "LayerDropShadow.h"

#include "LayerStyleDevice.h"

#include <cmath>

void LayerDropShadow::setAngle(int iAngle)
{
    iAngle = qBound(0, iAngle, kMaxAngle);
    if (iAngle == m_iAngle)
        return;
    m_iAngle = iAngle;
    Changed();
}

QPoint LayerDropShadow::OffsetFor(int iAngle, int iDistance)
{
    const double radians = iAngle * M_PI / 180.0;
    // y grows downwards: angle 0 is straight below, 90 to the left.
    const double dx = -iDistance * std::sin(radians);
    const double dy = iDistance * std::cos(radians);
    return QPoint(int(dx), int(dy));
}

QRect LayerDropShadow::CoveredFor(const QSize &size) const
{
    const QPoint d = Offset();
    return QRect(qMin(d.x(), 0), qMin(d.y(), 0), size.width() + std::abs(d.x()), size.height() + std::abs(d.y()));
}

QByteArray LayerDropShadow::EncodeParams() const
{
    QByteArray params;
    AppendParam(&params, m_iAngle);
    AppendParam(&params, m_iDistance);
    AppendParam(&params, m_iOpacity);
    return params + EncodeColor(m_color);
}

bool LayerDropShadow::DecodeParams(const QByteArray &params)
{
    if (params.size() != 28)
        return false;
    const qint32 iAngle = ParamAt(params, 0), iDistance = ParamAt(params, 1), iOpacity = ParamAt(params, 2);
    QColor color;
    if (iAngle < 0 || iAngle > kMaxAngle || iDistance < 0 || iDistance > kMaxDistance || iOpacity < 0
        || iOpacity > kMaxOpacity || !DecodeColor(params, 3, &color))
        return false;
    setAngle(iAngle);
    setDistance(iDistance);
    setOpacity(iOpacity);
    setColor(color);
    return true;
}

QImage LayerDropShadow::Reference(const QImage &source, int iAngle, int iDistance, int iOpacity,
                                  const QColor &color, QPoint *pAt)
{
    *pAt = OffsetFor(iAngle, iDistance);
    return MaskReference(source, OpacityScale(iOpacity), color);
}

bool LayerDropShadow::ComputeOnDevice(LayerStyleDevice *pDevice, const QImage &source, QImage *pPicture,
                                      QPoint *pAt)
{
    *pAt = Offset();
    return MaskOnDevice(pDevice, source) && pDevice->Read(0, pPicture);
}

QImage LayerDropShadow::ComputeReference(const QImage &source, QPoint *pAt) const
{
    return Reference(source, m_iAngle, m_iDistance, m_iOpacity, m_color, pAt);
}
