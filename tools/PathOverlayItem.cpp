#include "PathOverlayItem.h"

#include "Path.h"

#include <QPainter>

PathOverlayItem::PathOverlayItem()
{
    setZValue(5001);
    setAcceptedMouseButtons(Qt::NoButton);
}

void PathOverlayItem::Show(const Path *pPath, double dZoom, std::optional<QPointF> preview)
{
    prepareGeometryChange();
    m_dScale = 1.0 / qMax(0.01, dZoom);
    m_outline = QPainterPath();
    m_anchors.clear();
    m_controls.clear();
    m_preview.reset();
    if (pPath) {
        m_outline = pPath->ToPainterPath();
        const QList<PathItem> &items = pPath->items();
        for (int i = 0; i < items.size(); ++i) {
            const PathItem &item = items[i];
            if (i == 0 || item.second != pPath->startPoint() || !pPath->IsClosed())
                m_anchors << item.second;
            if (item.kind == PathItem::CubicTo) {
                if (item.control1 != item.first)
                    m_controls << QLineF(item.first, item.control1);
                if (item.control2 != item.second)
                    m_controls << QLineF(item.second, item.control2);
            } else if (item.kind == PathItem::QuadTo) {
                m_controls << QLineF(item.second, item.control1);
            }
        }
        if (preview && !items.isEmpty())
            m_preview = QLineF(items.last().second, *preview);
    }
    QRectF bounds = m_outline.controlPointRect();
    for (const QPointF &point : std::as_const(m_anchors))
        bounds |= QRectF(point, QSizeF(0, 0));
    for (const QLineF &line : std::as_const(m_controls))
        bounds |= QRectF(line.p1(), line.p2()).normalized();
    if (m_preview)
        bounds |= QRectF(m_preview->p1(), m_preview->p2()).normalized();
    const double margin = (kAnchorSide + 4) * m_dScale;
    m_bounds = bounds.adjusted(-margin, -margin, margin, margin);
    update();
}

QRectF PathOverlayItem::boundingRect() const
{
    return m_bounds;
}

void PathOverlayItem::paint(QPainter *pPainter, const QStyleOptionGraphicsItem *, QWidget *)
{
    pPainter->setRenderHint(QPainter::Antialiasing);
    pPainter->setBrush(Qt::NoBrush);
    QPen wide(Qt::white, 3);
    wide.setCosmetic(true);
    QPen thin(QColor(20, 20, 20), 1);
    thin.setCosmetic(true);
    QPen dashed(QColor(20, 20, 20), 1, Qt::DashLine);
    dashed.setCosmetic(true);
    // White under black: the outline shows on any picture.
    for (const QPen &pen : {wide, thin}) {
        pPainter->setPen(pen);
        pPainter->drawPath(m_outline);
        for (const QLineF &line : std::as_const(m_controls))
            pPainter->drawLine(line);
    }
    if (m_preview) {
        pPainter->setPen(dashed);
        pPainter->drawLine(*m_preview);
    }
    pPainter->setPen(thin);
    const double control = kControlSide * m_dScale;
    pPainter->setBrush(QColor(40, 120, 255));
    for (const QLineF &line : std::as_const(m_controls))
        pPainter->drawEllipse(line.p2(), control / 2, control / 2);
    const double side = kAnchorSide * m_dScale;
    for (int i = 0; i < m_anchors.size(); ++i) {
        pPainter->setBrush(i == 0 ? QBrush(Qt::NoBrush) : QBrush(Qt::white));
        pPainter->drawRect(QRectF(m_anchors[i] - QPointF(side / 2, side / 2), QSizeF(side, side)));
    }
}
