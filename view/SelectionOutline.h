#pragma once
#include <QGraphicsPathItem>
#include <QImage>
#include <QPen>
#include <QTransform>

// One of the two strokes of the selection's outline (white under black
// dashes). The outline runs along pixel edges, so it is drawn with thin
// lines that need no smoothing. A wand selection of a noisy photo has
// millions of edges and takes a good part of a second to stroke, so the
// stroke is kept as an image of the visible part at the current zoom, one
// per dash offset: the marching ants then cost one image draw a frame, and
// only a change of path, zoom or scroll position strokes the path again.
class SelectionOutline : public QGraphicsPathItem {
public:
    using QGraphicsPathItem::QGraphicsPathItem;

    void paint(QPainter *pPainter, const QStyleOptionGraphicsItem *pOption, QWidget *pWidget) override;

private:
    struct Stroke {
        QPainterPath path;
        QTransform transform;
        QRect area; // device pixels
        QPen pen;
        QImage image;
    };
    // The latest strokes, one per dash offset the ants use.
    Stroke m_strokes[2];
    int m_iNext = 0;
};
