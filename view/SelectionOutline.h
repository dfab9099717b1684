#pragma once
#include <QGraphicsPathItem>

// One of the two strokes of the selection's outline (white under black
// dashes). The outline runs along pixel edges, so it is drawn with thin
// lines that need no smoothing: a wand selection of a noisy photo has millions
// of edges, and smoothed, dashed strokes of those take seconds to draw.
class SelectionOutline : public QGraphicsPathItem {
public:
    using QGraphicsPathItem::QGraphicsPathItem;

    void paint(QPainter *pPainter, const QStyleOptionGraphicsItem *pOption, QWidget *pWidget) override;
};
