#pragma once
#include "Layer.h"
#include "ScratchTarget.h"

#include <QGraphicsPixmapItem>
#include <QPixmap>

class QRegion;

// A raster layer: its pixels are a pixmap the size of the canvas (until a
// tool or command changes that), drawn with the layer's blending mode.
class PixmapLayer : public Layer, public QGraphicsPixmapItem, public ScratchTarget {
public:
    // Adds itself to the scene. The initial snapshot is registered with the
    // scratch store by the document window, which owns the store reference.
    PixmapLayer(QGraphicsScene *pScene, int iWidth, int iHeight);
    ~PixmapLayer() override;

    qreal zValue() const override { return QGraphicsPixmapItem::zValue(); }
    void setZValue(qreal z) override { QGraphicsPixmapItem::setZValue(z); }
    qreal opacity() const override { return QGraphicsPixmapItem::opacity(); }
    void setOpacity(qreal o) override { QGraphicsPixmapItem::setOpacity(o); }
    void setPos(const QPointF &p) override { QGraphicsPixmapItem::setPos(p); }
    QPointF pos() const override { return QGraphicsPixmapItem::pos(); }
    QRectF boundingRect() const override;
    void setVisible(bool b) override { QGraphicsPixmapItem::setVisible(b); }
    bool isVisible() const override { return QGraphicsPixmapItem::isVisible(); }
    void update(const QRectF &area) override;
    void update() override;
    void MarkChanged() override { m_bChanged = true; }
    QGraphicsItem *item() override { return this; }

    virtual void setPixmap(const QPixmap &pixmap);
    // The layer's pixels. Painting on the returned reference changes the layer;
    // callers then call update().
    QPixmap &image() { return m_image; }
    const QPixmap &image() const { return m_image; }

    void ChangeCanvasSize(const QSize &size, int iAnchor);
    void Scale(const QSize &size);
    void Crop(const QRegion &region, const QPixmap &source);

    // Where the anchor (0..8, row by row) puts an image of oldSize on a
    // canvas of newSize; false for an anchor outside the grid.
    static bool AnchorOffset(const QSize &oldSize, const QSize &newSize, int iAnchor, QPoint *pOffset);

    void paint(QPainter *pPainter, const QStyleOptionGraphicsItem *pOption, QWidget *pWidget) override;
    // What paint() does, for pixels taken from a layer: the scene's
    // composition uses it on any thread.
    static void PaintPixels(QPainter *pPainter, const QRect &exposed, const QImage &pixels, int iMode,
                            qreal dOpacity);

    QImage ScratchImage() const override;
    QPointF ScratchPosition() const override { return pos(); }
    void ScratchRestore(const QImage &image, const QPointF &pos) override;

protected:
    QVariant itemChange(GraphicsItemChange change, const QVariant &value) override;
    void wheelEvent(QGraphicsSceneWheelEvent *pEvent) override;

private:
    bool m_bChanged = true;
    QPixmap m_image;
    QPixmap m_composed;
    QRect m_styledBounds;
};
