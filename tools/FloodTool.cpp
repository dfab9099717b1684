#include "FloodTool.h"

#include "ChildWindow.h"
#include "PixelOps.h"
#include "PixmapLayer.h"
#include "ScratchDB.h"

#include <QLabel>
#include <QMessageBox>
#include <QSlider>

QCursor FloodTool::GetCursor() const
{
    return QCursor(Qt::CrossCursor);
}

QImage FloodTool::CanvasPixels(const PixmapLayer *pLayer, const QSize &canvas)
{
    const QImage &pixels = pLayer->image();
    const QPointF pos = pLayer->pos();
    // Truncated as the painting protocol truncates, so both agree on pixels.
    const QPoint origin(int(pos.x()), int(pos.y()));
    if (origin.isNull() && pixels.size() == canvas)
        return pixels;
    QImage aligned(canvas, QImage::Format_ARGB32);
    aligned.fill(0);
    PixelOps::Copy(pixels, aligned, pixels.rect(), -origin);
    return aligned;
}

PixmapLayer *FloodTool::LayerToFlood(ChildWindow *pWindow, const QString &textWarning) const
{
    Document *pDocument = pWindow ? pWindow->document() : nullptr;
    Layer *pLayer = pDocument ? pDocument->CurrentLayer() : nullptr;
    if (!pLayer)
        return nullptr;
    if (pLayer->kind() == Layer::Text) {
        QMessageBox::warning(pWindow, QStringLiteral("Woah, bucko."), textWarning, QMessageBox::Ok);
        return nullptr;
    }
    PixmapLayer *pRaster = pDocument->CurrentRasterLayer();
    // A restore still on its way from disk lands before the flood reads.
    if (pRaster)
        pDocument->store().WaitForPending(pRaster);
    return pRaster;
}

QSlider *FloodTool::AddToleranceOptions(int iValue, bool bValueFirst)
{
    AddOption(new QLabel(QStringLiteral("Tolerance")));
    auto *pSlider = new QSlider(Qt::Horizontal);
    pSlider->setRange(0, 255);
    pSlider->setValue(iValue);
    pSlider->setToolTip(QStringLiteral("Tolerance"));
    pSlider->setFixedWidth(150);
    auto *pValue = new QLabel;
    pValue->setNum(iValue);
    connect(pSlider, &QSlider::valueChanged, pValue, qOverload<int>(&QLabel::setNum));
    if (bValueFirst) {
        AddOption(pValue);
        AddOption(pSlider);
    } else {
        AddOption(pSlider);
        AddOption(pValue);
    }
    m_pSlider = pSlider;
    return pSlider;
}

int FloodTool::Tolerance(int iFallback) const
{
    return m_pSlider ? m_pSlider->value() : iFallback;
}
