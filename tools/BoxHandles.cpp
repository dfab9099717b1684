#include "BoxHandles.h"

#include "HandleGraphicsItem.h"

namespace BoxHandles {

Sides SidesOf(int i)
{
    return {i == 0 || i == 6 || i == 7, i == 2 || i == 3 || i == 4, i == 0 || i == 1 || i == 2,
            i == 4 || i == 5 || i == 6};
}

std::array<QPointF, kCount> Points(const QRectF &box)
{
    const QPointF c = box.center();
    return {box.topLeft(),     QPointF(c.x(), box.top()),    box.topRight(),    QPointF(box.right(), c.y()),
            box.bottomRight(), QPointF(c.x(), box.bottom()), box.bottomLeft(), QPointF(box.left(), c.y())};
}

HandleGraphicsItem *Create(int i)
{
    auto *pHandle = new HandleGraphicsItem;
    pHandle->m_iIdentifier = i;
    pHandle->setZValue(5001);
    if (i == 1 || i == 5)
        pHandle->m_iDragMode = HandleGraphicsItem::VerticalDrag;
    else if (i == 3 || i == 7)
        pHandle->m_iDragMode = HandleGraphicsItem::HorizontalDrag;
    return pHandle;
}

QRect Drag(const QRect &box, int iHandle, const QPoint &p)
{
    const Sides sides = SidesOf(iHandle);
    int left = box.left(), top = box.top();
    int right = box.x() + box.width(), bottom = box.y() + box.height();
    if (sides.bLeft)
        left = qMin(p.x(), right - 1);
    if (sides.bRight)
        right = qMax(p.x(), left + 1);
    if (sides.bTop)
        top = qMin(p.y(), bottom - 1);
    if (sides.bBottom)
        bottom = qMax(p.y(), top + 1);
    return QRect(left, top, right - left, bottom - top);
}

} // namespace BoxHandles
