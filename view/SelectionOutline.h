#pragma once
#include <QAbstractGraphicsShapeItem>
#include <QColor>
#include <QImage>
#include <QPen>
#include <QRegion>
#include <QTransform>

#include <cstdint>
#include <vector>

// The selection's outline: the device pixels just inside the region's edge,
// at the current zoom, dashed by position with the pen's dash pattern and
// offset, in the gap colour between the dashes. A wand selection of a noisy
// photo has millions of edges; stroking them as a path takes a good part of
// a second. Here the region becomes a bit mask once, the outline's pixels
// over the visible part are found from it once per zoom and scroll position
// (a few milliseconds), and each dash offset is then one pass over them,
// kept: the marching ants cost one image draw a frame.
class SelectionOutline : public QAbstractGraphicsShapeItem {
public:
    using QAbstractGraphicsShapeItem::QAbstractGraphicsShapeItem;

    void SetRegion(const QRegion &region);
    const QRegion &Region() const { return m_region; }
    // Drawn where the dashes are off; transparent leaves those pixels alone.
    void SetGapColor(const QColor &color);

    QRectF boundingRect() const override;
    void paint(QPainter *pPainter, const QStyleOptionGraphicsItem *pOption, QWidget *pWidget) override;

private:
    void FindEdges(const QTransform &transform, const QRect &area);
    QImage Dashed() const;

    QRegion m_region;
    QColor m_gap = Qt::transparent;
    // The region, one bit a canvas pixel over its bounding rectangle.
    bool m_bMaskStale = false;
    QRect m_maskRect;
    int m_iMaskWords = 0; // a row
    std::vector<quint64> m_mask;
    // The outline's device pixels over `area` under `transform`, one byte each.
    QTransform m_edgeTransform;
    QRect m_edgeArea;
    bool m_bEdgesStale = true;
    std::vector<uint8_t> m_edges;
    // The latest drawings of those pixels, one per dash offset the ants use.
    struct Drawn {
        QPen pen;
        QColor gap;
        QImage image;
    };
    Drawn m_drawn[2];
    int m_iNext = 0;
};
