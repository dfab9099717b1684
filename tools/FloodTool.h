#pragma once
#include "BaseTool.h"

#include <QImage>
#include <QPointer>

class PixmapLayer;
class QLabel;
class QSlider;

// What the fill and the magic wand share: the layer a press floods (text
// layers refused with a warning), its pixels in canvas coordinates, the
// tolerance slider and the cross cursor.
class FloodTool : public BaseTool {
    Q_OBJECT
public:
    using BaseTool::BaseTool;

    QCursor GetCursor() const override;

    // The layer's straight pixels where they lie on the canvas: a layer moved
    // off (0, 0) is shifted back, transparent where it does not reach.
    static QImage CanvasPixels(const PixmapLayer *pLayer, const QSize &canvas);

protected:
    // The current raster layer; a text layer shows `textWarning` instead.
    PixmapLayer *LayerToFlood(ChildWindow *pWindow, const QString &textWarning) const;
    // "Tolerance", and a slider from 0 to 255 with its value shown beside it
    // (before it when bValueFirst).
    QSlider *AddToleranceOptions(int iValue, bool bValueFirst);
    int Tolerance(int iFallback) const;

private:
    QPointer<QSlider> m_pSlider;
};
