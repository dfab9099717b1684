#pragma once
#include <QImage>
#include <QPointF>

// What the scratch store needs of a raster layer. PixmapLayer implements it;
// tests use small implementations of their own.
class ScratchTarget
{
public:
    virtual ~ScratchTarget() = default;

    // The layer's pixels (ARGB32, straight or premultiplied).
    virtual QImage ScratchImage() const = 0;
    // The layer's canvas position.
    virtual QPointF ScratchPosition() const = 0;
    // Puts a snapshot back: new pixmap, new position, repaint. GUI thread only.
    virtual void ScratchRestore(const QImage &image, const QPointF &pos) = 0;
};
