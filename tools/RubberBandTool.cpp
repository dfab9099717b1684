#include "RubberBandTool.h"

#include "ChildWindow.h"
#include "Document.h"
#include "PaintToolSupport.h"
#include "PixmapLayer.h"

#include <QPainter>

void RubberBandTool::BeginShape(ChildWindow *pWindow, PixmapLayer *pLayer)
{
    m_pDocument = pWindow->document();
    m_pLayer = pLayer;
    m_shown = QRegion();
    // Opened accumulating: the stroke buffer is not cleared at every redraw
    // (a whole-canvas clear per mouse move); Redraw clears what it drew.
    m_pDocument->BeginPaint(true, pLayer);
    m_layerConnection = connect(m_pDocument, &Document::CurrentLayerChanged, this, [this](Layer *pLayer) {
        if (pLayer != m_pLayer)
            ShapeLayerSwitched();
    });
}

void RubberBandTool::Redraw(const QRegion &reach, const std::function<void(QPainter &)> &draw, Cover eCover)
{
    if (!m_pDocument)
        return;
    const QRegion canvas(QRect(QPoint(0, 0), m_pDocument->canvasSize()));
    const QRegion inside = draw ? reach.intersected(canvas) : QRegion();
    const QRegion stale = eCover == Cover::Over ? m_shown : eCover == Cover::Whole ? m_shown.subtracted(inside) : QRegion();
    QPainter *pPainter = m_pDocument->BeginStroke();
    pPainter->setCompositionMode(QPainter::CompositionMode_Clear);
    for (const QRect &rect : stale)
        pPainter->fillRect(rect, Qt::transparent);
    pPainter->setCompositionMode(eCover == Cover::Over ? QPainter::CompositionMode_SourceOver
                                                       : QPainter::CompositionMode_Source);
    if (!inside.isEmpty()) {
        pPainter->setClipRegion(inside);
        pPainter->setRenderHint(QPainter::Antialiasing);
        draw(*pPainter);
    }
    const QRegion dirty = stale.united(inside);
    m_shown = eCover == Cover::Part ? m_shown.united(inside) : inside;
    if (dirty.isEmpty()) {
        pPainter->end(); // nothing was or is shown: nothing to commit
        return;
    }
    for (const QRect &rect : dirty)
        m_pDocument->CommitStroke(rect);
}

void RubberBandTool::Clear()
{
    Redraw(QRegion(), nullptr);
}

bool RubberBandTool::Finish(const QString &operation)
{
    disconnect(m_layerConnection);
    if (!m_pDocument)
        return false;
    Document *pDocument = m_pDocument;
    const bool bShown = !m_shown.isEmpty();
    m_pDocument = nullptr;
    m_pLayer = nullptr;
    m_shown = QRegion();
    PaintToolSupport::FinishStroke(pDocument, operation, bShown);
    return bShown;
}

void RubberBandTool::Cancel()
{
    if (!m_pDocument)
        return;
    Clear();
    Finish(QString());
}
