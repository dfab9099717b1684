#include "FillTool.h"

#include "ChildWindow.h"
#include "LayerSnapshotCmd.h"
#include "PixmapLayer.h"
#include "ScanlineFlood.h"
#include "ToolContext.h"
#include "ToolSwatches.h"

#include <QLabel>
#include <QSlider>
#include <QUndoStack>

#include <algorithm>

void FillTool::Activate()
{
    m_iTolerance = kDefaultTolerance;
    QSlider *pSlider = AddToleranceOptions(m_iTolerance, false);
    connect(pSlider, &QSlider::valueChanged, this, [this](int iValue) { m_iTolerance = iValue; });
    AddOption(new QLabel(QStringLiteral("Fill Color")));
    if (ToolSwatches *pSwatches = context().Swatches()) {
        auto *pHolder = AddOption(new QLabel(QStringLiteral("fill color")));
        m_pSwatch = pSwatches->CreateSwatch(QStringLiteral("FillColorSwatch"), pHolder);
        m_pSwatch->setFixedSize(pHolder->sizeHint().expandedTo(QSize(24, 16)));
        pHolder->setFixedSize(m_pSwatch->size());
        pHolder->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
        m_color = pSwatches->SwatchColor(m_pSwatch);
        m_colorConnection = pSwatches->OnPaletteColor(this, [this](const QColor &color) { ColorPickerChanged(color); });
    }
    BeginActivation();
}

void FillTool::Deactivate()
{
    disconnect(m_colorConnection);
    EndActivation();
}

QColor FillTool::FillColor() const
{
    ToolSwatches *pSwatches = context().Swatches();
    return pSwatches && m_pSwatch ? pSwatches->SwatchColor(m_pSwatch) : m_color;
}

void FillTool::ColorPickerChanged(const QColor &color)
{
    m_color = color;
    if (ToolSwatches *pSwatches = context().Swatches(); pSwatches && m_pSwatch)
        pSwatches->SetSwatchColor(m_pSwatch, color);
}

void FillTool::MousePress(Qt::MouseButtons buttons, QPoint point, Qt::KeyboardModifiers, ChildWindow *pWindow)
{
    if (!(buttons & Qt::LeftButton))
        return;
    PixmapLayer *pLayer = LayerToFlood(pWindow, QStringLiteral("You can't paint on a text layer!"));
    if (!pLayer)
        return;
    Document *pDocument = pWindow->document();
    pDocument->BeginPaint(false, pLayer);
    // The base image is the layer in canvas coordinates, also when it moved.
    const QImage &base = pDocument->BaseImage();
    ScanlineFlood flood(base, ScanlineFlood::FillMatch, Tolerance(m_iTolerance));
    // Only the layer's own pixels where they show on the canvas: neither
    // past the canvas edge of a large layer nor through canvas the layer
    // does not cover.
    const QPoint origin(int(pLayer->pos().x()), int(pLayer->pos().y()));
    const QRect shown = QRect(QPoint(0, 0), pDocument->canvasSize())
                            .intersected(QRect(origin, pLayer->image().size()))
                            .intersected(base.rect());
    QRegion allowed = pDocument->Selection();
    if (shown != base.rect())
        allowed = allowed.isEmpty() ? QRegion(shown) : allowed.intersected(shown);
    if (!shown.contains(point) || (allowed.isEmpty() && shown != base.rect())) {
        pDocument->EndPaint();
        return;
    }
    flood.Restrict(allowed);
    flood.Run(point);
    if (flood.Empty()) {
        pDocument->EndPaint();
        return;
    }
    // The flooded pixels get the colour in the stroke buffer; the commit lays
    // it over the layer inside the (possibly feathered) selection.
    QImage &stroke = pDocument->StrokeBuffer();
    const quint32 colour = qPremultiply(FillColor().rgba());
    for (const ScanlineFlood::Span &span : flood.Spans()) {
        auto *pRow = reinterpret_cast<quint32 *>(stroke.scanLine(span.y));
        std::fill(pRow + span.left, pRow + span.right + 1, colour);
    }
    pDocument->CommitStroke(flood.Bounds());
    pDocument->EndPaint();
    pDocument->undoStack()->push(new LayerSnapshotCmd(QStringLiteral("Fill - ") + pLayer->name(), pLayer));
}
