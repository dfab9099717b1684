#pragma once
#include <QImage>
#include <QPointF>

// What the store needs of a raster layer. PixmapLayer implements it.
class ScratchTarget {
public:
    virtual ~ScratchTarget() = default;
    virtual QImage ScratchImage() const = 0;
    virtual QPointF ScratchPosition() const = 0;
    virtual void ScratchRestore(const QImage &image, const QPointF &pos) = 0;
};
