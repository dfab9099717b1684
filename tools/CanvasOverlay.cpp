#include "CanvasOverlay.h"

#include "ChildWindow.h"
#include "GraphicsView.h"

#include <QEvent>
#include <QGraphicsScene>
#include <QScrollArea>

CanvasOverlay::CanvasOverlay(QObject *pParent)
    : QObject(pParent)
{
}

CanvasOverlay::~CanvasOverlay()
{
    Detach();
}

ChildWindow *CanvasOverlay::window() const
{
    return m_pWindow;
}

GraphicsView *CanvasOverlay::view() const
{
    return m_pWindow ? m_pWindow->overlayView() : nullptr;
}

QGraphicsScene *CanvasOverlay::scene() const
{
    return m_pWindow ? m_pWindow->overlayScene() : nullptr;
}

void CanvasOverlay::Attach(ChildWindow *pWindow)
{
    if (pWindow == m_pWindow)
        return;
    Detach();
    m_pWindow = pWindow;
    if (!pWindow)
        return;
    GraphicsView *pOverlay = pWindow->overlayView();
    pOverlay->setFrameShape(QFrame::NoFrame);
    pOverlay->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    // Resizing the window, scrolling (the view moves in the scroll area) and
    // zooming (the view is resized) all move the canvas under the overlay.
    pWindow->scrollArea()->viewport()->installEventFilter(this);
    pWindow->view()->installEventFilter(this);
    connect(pWindow, &ChildWindow::ZoomChanged, this, &CanvasOverlay::Changed);
    Fit();
    pOverlay->show();
    pOverlay->raise();
    pOverlay->setFocus();
}

void CanvasOverlay::Detach()
{
    if (!m_pWindow)
        return;
    m_pWindow->scrollArea()->viewport()->removeEventFilter(this);
    m_pWindow->view()->removeEventFilter(this);
    disconnect(m_pWindow, nullptr, this, nullptr);
    m_pWindow->overlayView()->hide();
    m_pWindow = nullptr;
}

void CanvasOverlay::Fit()
{
    if (!m_pWindow)
        return;
    GraphicsView *pOverlay = m_pWindow->overlayView();
    // Over the scroll area's viewport only, so the scroll bars stay usable.
    const QRect area = m_pWindow->scrollArea()->viewport()->geometry();
    pOverlay->setGeometry(area);
    m_pWindow->overlayScene()->setSceneRect(0, 0, area.width(), area.height());
    pOverlay->setSceneRect(0, 0, area.width(), area.height());
}

bool CanvasOverlay::eventFilter(QObject *pObject, QEvent *pEvent)
{
    if (m_pWindow && (pEvent->type() == QEvent::Resize || pEvent->type() == QEvent::Move)) {
        if (pObject == m_pWindow->scrollArea()->viewport())
            Fit();
        Q_EMIT Changed();
    }
    return QObject::eventFilter(pObject, pEvent);
}

QPointF CanvasOverlay::Offset() const
{
    // Where the canvas view's viewport lies in the overlay's pixels.
    const QPoint docOrigin = m_pWindow->view()->viewport()->mapToGlobal(QPoint(0, 0));
    const QPoint overlayOrigin = m_pWindow->overlayView()->viewport()->mapToGlobal(QPoint(0, 0));
    return QPointF(docOrigin - overlayOrigin);
}

QPointF CanvasOverlay::FromCanvas(const QPointF &canvasPoint) const
{
    if (!m_pWindow)
        return canvasPoint;
    return m_pWindow->view()->viewportTransform().map(canvasPoint) + Offset();
}

QPointF CanvasOverlay::ToCanvas(const QPointF &overlayPoint) const
{
    if (!m_pWindow)
        return overlayPoint;
    return m_pWindow->view()->viewportTransform().inverted().map(overlayPoint - Offset());
}

double CanvasOverlay::Zoom() const
{
    return m_pWindow ? m_pWindow->ZoomFactor() : 1.0;
}
