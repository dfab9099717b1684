#include "CropShadeItem.h"

#include <QPainter>
#include <QPainterPath>

CropShadeItem::CropShadeItem()
{
    setZValue(5000);
    setAcceptedMouseButtons(Qt::NoButton);
}

void CropShadeItem::SetCanvas(const QSize &canvas)
{
    if (canvas == m_canvas)
        return;
    prepareGeometryChange();
    m_canvas = canvas;
}

void CropShadeItem::SetBox(const QRect &box)
{
    m_box = box;
    update();
}

void CropShadeItem::SetGuide(int iGuide)
{
    m_iGuide = iGuide;
    update();
}

QRectF CropShadeItem::boundingRect() const
{
    // A pixel of margin for the outline's half on the canvas edge.
    return QRectF(QPointF(0, 0), QSizeF(m_canvas)).adjusted(-1, -1, 1, 1);
}

void CropShadeItem::paint(QPainter *pPainter, const QStyleOptionGraphicsItem *, QWidget *)
{
    if (m_box.isEmpty())
        return;
    const QRectF canvas(QPointF(0, 0), QSizeF(m_canvas));
    const QRectF box(m_box);
    QPainterPath outside;
    outside.addRect(canvas);
    outside.addRect(box);
    outside.setFillRule(Qt::OddEvenFill);
    pPainter->fillPath(outside, QColor(0, 0, 0, 128));

    QList<QLineF> guides;
    const auto at = [&box](double fx, double fy) { return QPointF(box.left() + fx * box.width(), box.top() + fy * box.height()); };
    const auto divide = [&](int n) {
        for (int i = 1; i < n; ++i) {
            guides << QLineF(at(double(i) / n, 0), at(double(i) / n, 1));
            guides << QLineF(at(0, double(i) / n), at(1, double(i) / n));
        }
    };
    if (m_iGuide == Thirds)
        divide(3);
    else if (m_iGuide == Grid)
        divide(8);
    else if (m_iGuide == Diagonal)
        guides << QLineF(at(0, 0), at(1, 1)) << QLineF(at(1, 0), at(0, 1));
    pPainter->setRenderHint(QPainter::Antialiasing, false);
    if (!guides.isEmpty()) {
        pPainter->setPen(QPen(QColor(255, 255, 255, 140), 0));
        pPainter->drawLines(guides);
    }
    pPainter->setBrush(Qt::NoBrush);
    pPainter->setPen(QPen(Qt::black, 0));
    pPainter->drawRect(box);
    pPainter->setPen(QPen(Qt::white, 0, Qt::DashLine));
    pPainter->drawRect(box);
}
