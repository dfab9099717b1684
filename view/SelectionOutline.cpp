#include "SelectionOutline.h"

#include <QPaintDevice>
#include <QPainter>

void SelectionOutline::paint(QPainter *pPainter, const QStyleOptionGraphicsItem *pOption, QWidget *pWidget)
{
    const QTransform transform = pPainter->worldTransform();
    QPaintDevice *pDevice = pPainter->device();
    // Only a plain scale and shift is kept; anything else is drawn directly.
    if (!pDevice || transform.type() > QTransform::TxScale) {
        pPainter->save();
        pPainter->setRenderHint(QPainter::Antialiasing, false);
        QGraphicsPathItem::paint(pPainter, pOption, pWidget);
        pPainter->restore();
        return;
    }
    const QRect area = transform.mapRect(boundingRect()).toAlignedRect().adjusted(-1, -1, 1, 1).intersected(
        QRect(0, 0, pDevice->width(), pDevice->height()));
    if (area.isEmpty())
        return;
    const QPainterPath &outline = path();
    Stroke *pStroke = nullptr;
    for (Stroke &stroke : m_strokes)
        if (stroke.transform == transform && stroke.area == area && stroke.pen == pen() && stroke.path == outline)
            pStroke = &stroke;
    if (!pStroke) {
        pStroke = &m_strokes[m_iNext];
        m_iNext = (m_iNext + 1) % 2;
        const qreal ratio = pDevice->devicePixelRatioF();
        pStroke->path = outline;
        pStroke->transform = transform;
        pStroke->area = area;
        pStroke->pen = pen();
        pStroke->image = QImage(area.size() * ratio, QImage::Format_ARGB32_Premultiplied);
        pStroke->image.setDevicePixelRatio(ratio);
        pStroke->image.fill(Qt::transparent);
        QPainter painter(&pStroke->image);
        painter.setTransform(transform * QTransform::fromTranslate(-area.x(), -area.y()));
        painter.setPen(pen());
        painter.setBrush(brush());
        painter.drawPath(outline);
    }
    pPainter->save();
    pPainter->resetTransform();
    pPainter->drawImage(area.topLeft(), pStroke->image);
    pPainter->restore();
}
