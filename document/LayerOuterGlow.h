#pragma once
#include "LayerStyle.h"

// A glow of the layer's alpha in the glow colour: the alpha blurred along
// the rows and then the columns over `distance` pixels each way. It stays
// within the layer's own rectangle; a distance of 0 draws no glow.
class LayerOuterGlow : public LayerStyle {
public:
    // Columns one work item of the vertical blur walks down side by side.
    static constexpr int kColumnsPerItem = 16;

    QString name() const override { return Name(); }
    static QString Name() { return QStringLiteral("Outter Glow"); }

    QRect CoveredFor(const QSize &) const override { return QRect(); }

    // distance, opacity, then red, green, blue, alpha.
    QByteArray EncodeParams() const override;
    bool DecodeParams(const QByteArray &params) override;

    // Host references of the two blur kernels (one row or column per work
    // item on the device) and of the whole style.
    static void HorizontalReference(const quint32 *pSrc, quint32 *pDst, int iWidth, int iHeight, int iBlur);
    static void VerticalReference(const quint32 *pSrc, quint32 *pDst, int iWidth, int iHeight, int iBlur);
    static QImage Reference(const QImage &source, int iDistance, int iOpacity, const QColor &color);

protected:
    // A glow pixel sums the pixels up to distance - 1 away along its row,
    // and those sums up to as far along its column.
    int Reach() const override { return qMax(0, m_iDistance - 1); }
    bool DrawsNothing() const override { return m_iDistance < 1; }
    QStringList ExtraKernelNames() const override;
    void KernelsCreated(const QList<QCLKernel> &kernels) override;
    bool ComputeOnDevice(LayerStyleDevice *pDevice, const QImage &source, QImage *pPicture, QPoint *pAt) override;
    QImage ComputeReference(const QImage &source, QPoint *pAt) const override;

private:
    QCLKernel m_horizontal;
    QCLKernel m_vertical;
};
