#pragma once
#include <QPoint>
#include <QRect>
#include <QSize>

// The arithmetic of the crop box, in canvas pixels. A box spans
// [left, left + width) x [top, top + height).
namespace CropGeometry {

enum RatioType { NoRatio = 0, OriginalRatio = 1, FixedRatio = 2 };

// Width / height a drag keeps to: 0 for a free box.
double RatioFor(int iType, const QSize &canvas, int iWidth, int iHeight);

// The box a drag from the anchor to the point draws. A ratio (and, after
// it, bSquare) only ever shrinks the box toward the anchor, so a box drawn
// between points on the canvas stays on it.
QRect DragBox(const QPoint &anchor, const QPoint &point, double dRatio, bool bSquare);

// The box resized by one of its eight handles (0 top-left, then clockwise)
// dragged to the point; at least one pixel stays. With a ratio, the corners
// keep it toward the opposite corner and the edges keep it about the box's
// centre line, never past the canvas.
QRect HandleBox(const QRect &box, int iHandle, const QPoint &point, double dRatio, const QSize &canvas);

// The box shifted back onto the canvas on each side where it sticks out.
QRect KeepInside(const QRect &box, const QSize &canvas);

// The canvas point nearest to p (edges included: the box may end there).
QPoint Clamp(const QPoint &p, const QSize &canvas);

} // namespace CropGeometry
