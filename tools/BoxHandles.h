#pragma once
#include <QPointF>
#include <QRect>
#include <QRectF>

#include <array>

class HandleGraphicsItem;

// The eight handles around a box that the crop and move tools share:
// 0 top-left, then clockwise (1 top, 2 top-right, 3 right, 4 bottom-right,
// 5 bottom, 6 bottom-left, 7 left). Boxes span [left, left + width).
namespace BoxHandles {

constexpr int kCount = 8;

struct Sides {
    bool bLeft, bRight, bTop, bBottom;
};
// The sides of the box a handle moves.
Sides SidesOf(int iHandle);
// Where each handle sits on the box.
std::array<QPointF, kCount> Points(const QRectF &box);
// A handle for place i: corners move freely, the top and bottom handles
// only up and down, the side handles only sideways.
HandleGraphicsItem *Create(int iHandle);
// The box with the sides handle i moves brought to the point; never past
// the opposite side, so at least one pixel stays.
QRect Drag(const QRect &box, int iHandle, const QPoint &point);

} // namespace BoxHandles
