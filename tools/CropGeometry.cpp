#include "CropGeometry.h"

#include "BoxHandles.h"

#include <QtGlobal>
#include <cstdlib>

namespace CropGeometry {

double RatioFor(int iType, const QSize &canvas, int iWidth, int iHeight)
{
    if (iType == OriginalRatio && canvas.height() > 0)
        return double(canvas.width()) / canvas.height();
    if (iType == FixedRatio && iHeight > 0)
        return double(iWidth) / iHeight;
    return 0;
}

QRect DragBox(const QPoint &anchor, const QPoint &point, double dRatio, bool bSquare)
{
    int width = std::abs(point.x() - anchor.x());
    int height = std::abs(point.y() - anchor.y());
    if (dRatio > 0) {
        if (width > height * dRatio)
            width = int(height * dRatio); // too wide: the width follows the height
        else
            height = int(width / dRatio); // too tall: the height follows the width
    }
    if (bSquare)
        width = height = qMin(width, height);
    const int left = point.x() >= anchor.x() ? anchor.x() : anchor.x() - width;
    const int top = point.y() >= anchor.y() ? anchor.y() : anchor.y() - height;
    return QRect(left, top, width, height);
}

QRect HandleBox(const QRect &box, int iHandle, const QPoint &point, double dRatio, const QSize &canvas)
{
    const QPoint p = Clamp(point, canvas);
    const BoxHandles::Sides sides = BoxHandles::SidesOf(iHandle);
    if (dRatio > 0 && (sides.bLeft || sides.bRight) && (sides.bTop || sides.bBottom)) {
        // A corner keeps the ratio toward the opposite corner.
        const QPoint opposite(sides.bLeft ? box.x() + box.width() : box.left(),
                              sides.bTop ? box.y() + box.height() : box.top());
        const QRect r = DragBox(opposite, p, dRatio, false);
        return r.width() > 0 && r.height() > 0 ? r : box;
    }
    const QRect dragged = BoxHandles::Drag(box, iHandle, p);
    if (dRatio <= 0)
        return dragged;
    // An edge sets one side; the other follows about the centre line,
    // within the room the canvas leaves.
    int left = dragged.left(), top = dragged.top();
    int right = dragged.x() + dragged.width(), bottom = dragged.y() + dragged.height();
    if (sides.bLeft || sides.bRight) {
        int width = right - left;
        const double centre = (top + bottom) / 2.0;
        const double room = 2 * qMin(centre, canvas.height() - centre);
        int height = int(width / dRatio);
        if (height > room) {
            height = int(room);
            width = int(height * dRatio);
            if (sides.bLeft)
                left = right - width;
            else
                right = left + width;
        }
        top = int(centre - height / 2.0);
        bottom = top + height;
    } else {
        int height = bottom - top;
        const double centre = (left + right) / 2.0;
        const double room = 2 * qMin(centre, canvas.width() - centre);
        int width = int(height * dRatio);
        if (width > room) {
            width = int(room);
            height = int(width / dRatio);
            if (sides.bTop)
                top = bottom - height;
            else
                bottom = top + height;
        }
        left = int(centre - width / 2.0);
        right = left + width;
    }
    if (right <= left || bottom <= top)
        return box;
    return QRect(left, top, right - left, bottom - top);
}

QRect KeepInside(const QRect &box, const QSize &canvas)
{
    QRect r = box;
    if (r.x() + r.width() > canvas.width())
        r.moveLeft(canvas.width() - r.width());
    if (r.y() + r.height() > canvas.height())
        r.moveTop(canvas.height() - r.height());
    if (r.x() < 0)
        r.moveLeft(0);
    if (r.y() < 0)
        r.moveTop(0);
    return r;
}

QPoint Clamp(const QPoint &p, const QSize &canvas)
{
    return QPoint(qBound(0, p.x(), canvas.width()), qBound(0, p.y(), canvas.height()));
}

} // namespace CropGeometry
