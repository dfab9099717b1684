#include "MoveGeometry.h"

#include "BoxHandles.h"

#include <QtGlobal>
#include <cmath>

namespace MoveGeometry {

QRect HandleBox(const QRect &box, int iHandle, const QPointF &point, const QPointF &press, double dAspect,
                bool bKeepAspect)
{
    const QRect dragged = BoxHandles::Drag(box, iHandle, QPoint(qRound(point.x()), qRound(point.y())));
    if (!bKeepAspect || dAspect <= 0)
        return dragged;
    const BoxHandles::Sides sides = BoxHandles::SidesOf(iHandle);
    int left = dragged.left(), top = dragged.top();
    int right = dragged.x() + dragged.width(), bottom = dragged.y() + dragged.height();
    int width = right - left, height = bottom - top;
    if (qAbs(point.x() - press.x()) > qAbs(point.y() - press.y()))
        height = qMax(1, int(std::lround(width / dAspect)));
    else
        width = qMax(1, int(std::lround(height * dAspect)));
    if (sides.bLeft)
        left = right - width;
    else
        right = left + width;
    if (sides.bTop)
        top = bottom - height;
    else
        bottom = top + height;
    return QRect(left, top, right - left, bottom - top);
}

double RotationAt(const QPointF &centre, const QPointF &point)
{
    const QPointF v = point - centre;
    const double degrees = std::atan2(v.y(), v.x()) * 180.0 / M_PI + 90.0;
    return std::fmod(degrees + 360.0, 360.0);
}

} // namespace MoveGeometry
