#pragma once
#include <QPointF>
#include <QRect>

// The arithmetic of the move tool's frame, in canvas pixels. A box spans
// [left, left + width) x [top, top + height).
namespace MoveGeometry {

// The box resized by one of its eight handles (0 top-left, then clockwise)
// dragged to the point, which is rounded to a pixel. With bKeepAspect the
// box keeps width / height at dAspect: the side the pointer has moved
// further from `press` leads and the other follows, toward the sides the
// handle does not move.
QRect HandleBox(const QRect &box, int iHandle, const QPointF &point, const QPointF &press, double dAspect,
                bool bKeepAspect);

// The angle of the rotation handle held at `point`, in degrees in [0, 360):
// 0 straight above `centre`, growing clockwise on screen.
double RotationAt(const QPointF &centre, const QPointF &point);

} // namespace MoveGeometry
