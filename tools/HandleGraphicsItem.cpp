#include "HandleGraphicsItem.h"

#include <QGraphicsScene>
#include <QGraphicsSceneMouseEvent>
#include <QGraphicsView>
#include <QPainter>

HandleGraphicsItem::HandleGraphicsItem(QGraphicsItem *pParent)
    : QGraphicsItem(pParent)
{
    setZValue(5000);
    setAcceptedMouseButtons(Qt::LeftButton | Qt::RightButton);
}

QRectF HandleGraphicsItem::boundingRect() const
{
    return QRectF(0, 0, m_iSize, m_iSize);
}

QPainterPath HandleGraphicsItem::shape() const
{
    QPainterPath path;
    if (m_iShape == Circle)
        path.addEllipse(boundingRect());
    else
        path.addRect(boundingRect());
    return path;
}

void HandleGraphicsItem::paint(QPainter *pPainter, const QStyleOptionGraphicsItem *, QWidget *)
{
    pPainter->setRenderHint(QPainter::Antialiasing);
    QPen white(Qt::white, 3);
    QPen dashed(Qt::black, 1, Qt::DashLine);
    // Screen pixels wide, also on a zoomed canvas.
    white.setCosmetic(true);
    dashed.setCosmetic(true);
    const QRectF square(1, 1, m_iSize - 2, m_iSize - 2);
    const QRectF round(0, 0, m_iSize - 2, m_iSize - 2);
    for (const QPen &pen : {white, dashed}) {
        pPainter->setPen(pen);
        pPainter->setBrush(Qt::NoBrush);
        if (m_iShape == Square)
            pPainter->drawRect(square);
        else if (m_iShape == Circle)
            pPainter->drawEllipse(round);
    }
}

QTransform HandleGraphicsItem::FrameRotation() const
{
    QTransform rotation;
    rotation.translate(m_rotationCentre.x(), m_rotationCentre.y());
    rotation.rotate(m_dRotation);
    rotation.translate(-m_rotationCentre.x(), -m_rotationCentre.y());
    return rotation;
}

void HandleGraphicsItem::SetPosition(const QPointF &p)
{
    m_centre = p;
    const int half = m_iSize / 2;
    // Placed through the transform, so a rotated frame keeps its handles on
    // its outline.
    QTransform transform;
    transform.translate(p.x() - half, p.y() - half);
    setPos(0, 0);
    setTransform(transform * FrameRotation());
}

bool HandleGraphicsItem::HitTest(const QPointF &scenePoint) const
{
    return shape().contains(mapFromScene(scenePoint));
}

void HandleGraphicsItem::mousePressEvent(QGraphicsSceneMouseEvent *pEvent)
{
    if (pEvent->button() == Qt::LeftButton) {
        if (m_iDragMode != NoDrag)
            m_bDragging = true;
        m_lastScenePos = pEvent->scenePos();
    }
    Q_EMIT MouseDown(this, pEvent);
    pEvent->accept();
}

void HandleGraphicsItem::mouseMoveEvent(QGraphicsSceneMouseEvent *pEvent)
{
    if (m_bDragging) {
        // Worked out in the frame's own coordinates, so a handle limited to
        // one axis keeps to it on a rotated frame too.
        QPointF target = FrameRotation().inverted().map(pEvent->scenePos());
        if (m_iDragMode == HorizontalDrag)
            target.setY(m_centre.y());
        else if (m_iDragMode == VerticalDrag)
            target.setX(m_centre.x());
        if (m_bBounded && scene() && !scene()->views().isEmpty()) {
            const QGraphicsView *pView = scene()->views().first();
            target.setX(qBound(0.0, target.x(), double(pView->width())));
            target.setY(qBound(0.0, target.y(), double(pView->height())));
        }
        SetPosition(target);
        m_lastScenePos = pEvent->scenePos();
        Q_EMIT Moved(this, pEvent);
    }
    Q_EMIT MouseMove(this, pEvent);
}

void HandleGraphicsItem::mouseReleaseEvent(QGraphicsSceneMouseEvent *pEvent)
{
    if (m_bDragging && !(pEvent->buttons() & Qt::LeftButton)) {
        m_bDragging = false;
        Q_EMIT MouseUp(this, pEvent);
    }
}

void HandleGraphicsItem::contextMenuEvent(QGraphicsSceneContextMenuEvent *pEvent)
{
    Q_EMIT ContextMenu(this, pEvent);
}
