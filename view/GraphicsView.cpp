#include "GraphicsView.h"

#include <QWheelEvent>

GraphicsView::GraphicsView(QWidget *pParent)
    : QGraphicsView(pParent)
{
    setMouseTracking(true);
}

void GraphicsView::mousePressEvent(QMouseEvent *pEvent)
{
    Q_EMIT MouseDown(pEvent);
    QGraphicsView::mousePressEvent(pEvent);
}

void GraphicsView::mouseReleaseEvent(QMouseEvent *pEvent)
{
    Q_EMIT MouseUp(pEvent);
    QGraphicsView::mouseReleaseEvent(pEvent);
}

void GraphicsView::mouseMoveEvent(QMouseEvent *pEvent)
{
    Q_EMIT MouseMove(pEvent);
    QGraphicsView::mouseMoveEvent(pEvent);
}

void GraphicsView::keyPressEvent(QKeyEvent *pEvent)
{
    Q_EMIT KeyPress(pEvent);
    QGraphicsView::keyPressEvent(pEvent);
}

void GraphicsView::wheelEvent(QWheelEvent *pEvent)
{
    if (pEvent->modifiers() & Qt::ControlModifier) {
        Q_EMIT ControlWheel(pEvent);
        pEvent->accept();
        return;
    }
    pEvent->ignore();
}
