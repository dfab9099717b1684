#pragma once
#include <QAbstractGraphicsShapeItem>
#include <QImage>
#include <QPen>
#include <QRegion>
#include <QTransform>

// One of the two strokes of the selection's outline (white under black
// dashes): the device pixels just inside the region's edge, at the current
// zoom, dashed by position with the pen's dash pattern and offset. A wand
// selection of a noisy photo has millions of edges; stroking them as a path
// takes a good part of a second, this a few milliseconds over the visible
// part. The drawing is kept, one per dash offset, so the marching ants cost
// one image draw a frame until the region, zoom or scroll position changes.
class SelectionOutline : public QAbstractGraphicsShapeItem {
public:
    using QAbstractGraphicsShapeItem::QAbstractGraphicsShapeItem;

    void SetRegion(const QRegion &region);
    const QRegion &Region() const { return m_region; }

    QRectF boundingRect() const override;
    void paint(QPainter *pPainter, const QStyleOptionGraphicsItem *pOption, QWidget *pWidget) override;

    // The outline of `region` drawn under `transform` (scale and shift only)
    // into the device rectangle `area`, in the pen's colour and dashes.
    static QImage Draw(const QRegion &region, const QTransform &transform, const QRect &area, const QPen &pen);

private:
    struct Drawn {
        QRegion region;
        QTransform transform;
        QRect area; // device pixels
        QPen pen;
        QImage image;
    };
    QRegion m_region;
    // The latest drawings, one per dash offset the ants use.
    Drawn m_drawn[2];
    int m_iNext = 0;
};
