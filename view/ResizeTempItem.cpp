#include "ResizeTempItem.h"

#include <QPainter>

ResizeTempItem::ResizeTempItem(const QPixmap &pixmap, QGraphicsItem *pParent)
    : QGraphicsPixmapItem(pixmap, pParent)
    , m_target(pixmap.rect())
    , m_source(pixmap.rect())
{
}

void ResizeTempItem::SetTargetRect(const QRectF &rect)
{
    prepareGeometryChange();
    m_target = rect;
    update();
}

void ResizeTempItem::SetSourceRect(const QRectF &rect)
{
    m_source = rect;
    update();
}

QRectF ResizeTempItem::boundingRect() const
{
    // A dragged handle may flip the rectangle; the item still covers it.
    return m_target.normalized();
}

QPainterPath ResizeTempItem::shape() const
{
    QPainterPath path;
    path.addRect(boundingRect());
    return path;
}

void ResizeTempItem::paint(QPainter *pPainter, const QStyleOptionGraphicsItem *, QWidget *)
{
    pPainter->setRenderHint(QPainter::SmoothPixmapTransform, transformationMode() == Qt::SmoothTransformation);
    pPainter->drawPixmap(m_target, pixmap(), m_source);
}
