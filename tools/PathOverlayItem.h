#pragma once
#include <QGraphicsItem>
#include <QLineF>
#include <QList>
#include <QPainterPath>
#include <QPointF>

#include <optional>

class Path;

// What the path tool shows over the canvas: the path's outline, its anchors
// as small squares (the first one hollow), the control points of its curves
// as dots tied to their anchors, and the segment the next click would add.
// Lines and marks keep their size on screen at any zoom.
class PathOverlayItem : public QGraphicsItem {
public:
    // On screen: the side of an anchor mark, the diameter of a control mark.
    static constexpr double kAnchorSide = 7;
    static constexpr double kControlSide = 6;

    PathOverlayItem();

    // Shows the path (none when null) at a zoom factor, with a segment from
    // its last anchor to `preview` when given.
    void Show(const Path *pPath, double dZoom, std::optional<QPointF> preview = std::nullopt);

    QRectF boundingRect() const override;
    void paint(QPainter *pPainter, const QStyleOptionGraphicsItem *pOption, QWidget *pWidget) override;

private:
    QPainterPath m_outline;
    QList<QPointF> m_anchors;
    QList<QLineF> m_controls; // anchor to control point
    std::optional<QLineF> m_preview;
    double m_dScale = 1; // scene units per screen pixel
    QRectF m_bounds;
};
