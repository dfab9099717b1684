#include "WandTool.h"

#include "ChildWindow.h"
#include "PixmapLayer.h"
#include "ScanlineFlood.h"
#include "SelectionTool.h"

#include <QSlider>

void WandTool::Activate()
{
    QSlider *pSlider = AddToleranceOptions(m_iTolerance, true);
    connect(pSlider, &QSlider::valueChanged, this, [this](int iValue) { m_iTolerance = iValue; });
    BeginActivation();
}

void WandTool::Deactivate()
{
    EndActivation();
}

void WandTool::MousePress(Qt::MouseButtons buttons, QPoint point, Qt::KeyboardModifiers keys, ChildWindow *pWindow)
{
    if (!(buttons & Qt::LeftButton))
        return;
    PixmapLayer *pLayer = LayerToFlood(pWindow, QStringLiteral("You can't make selections on a text layer!"));
    if (!pLayer)
        return;
    Document *pDocument = pWindow->document();
    const QSize canvas = pDocument->canvasSize();
    ScanlineFlood flood(CanvasPixels(pLayer, canvas), ScanlineFlood::WandMatch, Tolerance(m_iTolerance));
    flood.Run(point);
    if (flood.Empty())
        return;
    const QRegion before = pDocument->Selection();
    SelectionTool::PushChange(pDocument, before, SelectionTool::Combine(before, flood.Region(), keys, canvas));
}
