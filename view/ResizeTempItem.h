#pragma once
#include <QGraphicsPixmapItem>
#include <QRectF>

// The move tool's scaling preview: draws the source rectangle of its pixmap
// stretched into the target rectangle.
class ResizeTempItem : public QGraphicsPixmapItem {
public:
    explicit ResizeTempItem(const QPixmap &pixmap, QGraphicsItem *pParent = nullptr);

    void SetTargetRect(const QRectF &rect);
    QRectF TargetRect() const { return m_target; }
    void SetSourceRect(const QRectF &rect);
    QRectF SourceRect() const { return m_source; }

    QRectF boundingRect() const override;
    QPainterPath shape() const override;
    void paint(QPainter *pPainter, const QStyleOptionGraphicsItem *pOption, QWidget *pWidget) override;

private:
    QRectF m_target;
    QRectF m_source;
};
