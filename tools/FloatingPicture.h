#pragma once
#include <QImage>
#include <QRect>
#include <QRegion>
#include <QTransform>

#include <functional>

class PixmapLayer;

// Pixels lifted off a raster layer while the move tool moves, scales and
// rotates them. Lifting takes them out of the layer (a feathered selection
// takes each pixel's alpha by the mask's share); committing draws them over
// what stayed; restoring puts the layer back exactly as it was.
class FloatingPicture {
public:
    // Lifts the part of the layer under `region` (canvas coordinates), or
    // under the mask's alpha when one is given (canvas-sized). False, and
    // nothing lifted, when that part holds no pixel of the layer.
    bool Lift(PixmapLayer *pLayer, const QRegion &region, const QImage *pMask = nullptr);
    bool IsLifted() const { return m_pLayer != nullptr; }
    PixmapLayer *Layer() const { return m_pLayer; }
    // The lifted part's bounding rectangle (canvas) and its pixels, straight
    // ARGB32 of that size.
    QRect SourceRect() const { return m_source; }
    const QImage &Picture() const { return m_picture; }
    // Which canvas pixels were lifted.
    QRegion SourceRegion() const { return m_region; }

    // Picture pixels to canvas: scaled into the box, then turned by the
    // angle about the box's centre.
    static QTransform Placement(const QSize &pictureSize, const QRect &box, double dDegrees);

    // Box and angle only move the picture by whole pixels.
    bool IsShift(const QRect &box, double dDegrees) const;
    // The lifted pixels' places once box and angle put them.
    QRegion PlacedRegion(const QRect &box, double dDegrees) const;
    // Draws the picture over the layer where box and angle put it (the
    // layer grows to hold what lands beyond its edge) and ends the float.
    // Returns the canvas rectangle that changed.
    QRect Commit(const QRect &box, double dDegrees);
    // What Commit would make of a layer's pixels and position, worked out
    // on a copy (another thread may run it): the float stays open.
    std::function<void(QImage &pixels, QPointF &pos)> Landing(const QRect &box, double dDegrees) const;
    // Puts back the layer's pixels from before the lift; ends the float.
    void Restore();
    // Ends the float without touching the layer.
    void Drop();
    // True while the layer still holds exactly what the lift left in it.
    bool HoleIntact() const;

private:
    QPoint LayerOrigin() const;
    // Whether box and angle only move the picture by whole pixels.
    void End();
    // Draws the picture over the pixels of a layer at pos where box and
    // angle put it, growing them to hold it; the canvas rectangle changed.
    static QRect LandOn(QImage &pixels, QPointF &pos, const QImage &picture, const QRect &box, double dDegrees);

    PixmapLayer *m_pLayer = nullptr;
    QImage m_backup;  // the layer's image before the lift (shared, not copied)
    QImage m_picture;
    QImage m_mask;    // the feathered mask of the lift, or null
    QRect m_source;
    QRegion m_region;
};
