#pragma once
#include "LayerStyle.h"

// A shadow of the layer's alpha in the shadow colour, moved by the distance
// in the direction of the angle: 0 puts it straight below, 90 to the left,
// 180 above, 270 to the right. It may reach past the layer.
class LayerDropShadow : public LayerStyle {
public:
    static constexpr int kMaxAngle = 359;

    QString name() const override { return Name(); }
    static QString Name() { return QStringLiteral("Drop Shadow"); }

    int angle() const { return m_iAngle; }
    void setAngle(int iAngle);

    // The shadow's offset from the layer, whole pixels (truncated).
    QPoint Offset() const { return OffsetFor(m_iAngle, m_iDistance); }
    static QPoint OffsetFor(int iAngle, int iDistance);
    QRect CoveredFor(const QSize &size) const override;

    // angle, distance, opacity, then red, green, blue, alpha.
    QByteArray EncodeParams() const override;
    bool DecodeParams(const QByteArray &params) override;

    // Host reference of the whole style: the mask, and where it goes.
    static QImage Reference(const QImage &source, int iAngle, int iDistance, int iOpacity, const QColor &color,
                            QPoint *pAt);

protected:
    QPoint PictureAt() const override { return Offset(); }
    bool ComputeOnDevice(LayerStyleDevice *pDevice, const QImage &source, QImage *pPicture, QPoint *pAt) override;
    QImage ComputeReference(const QImage &source, QPoint *pAt) const override;

private:
    int m_iAngle = 0;
};
