#pragma once
#include "Layer.h"
#include "ScratchTarget.h"

#include <QGraphicsPixmapItem>
#include <QImage>
#include <QRegion>

// A raster layer: its pixels are a straight (not premultiplied) ARGB32 image
// the size of the canvas (until a tool or command changes that), drawn with
// the layer's blending mode. Straight pixels keep translucent colours exact
// through editing, snapshots and files; the painter premultiplies them as it
// composes, and only the window's composed picture is premultiplied.
class PixmapLayer : public Layer, public QGraphicsPixmapItem, public ScratchTarget {
public:
    PixmapLayer(QGraphicsScene *pScene, int iWidth, int iHeight);
    // A layer holding these pixels (converted to straight ARGB32) from the start.
    PixmapLayer(QGraphicsScene *pScene, const QImage &pixels);
    ~PixmapLayer() override;

    qreal zValue() const override { return QGraphicsPixmapItem::zValue(); }
    void setZValue(qreal z) override { QGraphicsPixmapItem::setZValue(z); }
    qreal opacity() const override { return QGraphicsPixmapItem::opacity(); }
    void setOpacity(qreal o) override { QGraphicsPixmapItem::setOpacity(o); }
    void setPos(const QPointF &p) override { QGraphicsPixmapItem::setPos(p); }
    QPointF pos() const override { return QGraphicsPixmapItem::pos(); }
    QRectF boundingRect() const override;
    QPainterPath shape() const override;
    void setVisible(bool b) override { QGraphicsPixmapItem::setVisible(b); }
    bool isVisible() const override { return QGraphicsPixmapItem::isVisible(); }
    void update(const QRectF &area) override;
    void update() override;
    void MarkChanged() override;
    void StylesChanged() override;
    QGraphicsItem *item() override { return this; }

    // Replaces the pixels (converted to straight ARGB32) and repaints.
    virtual void setImage(const QImage &image);
    // The layer's pixels, straight ARGB32. Changing them through the returned
    // reference changes the layer; callers then call update().
    QImage &image() { return m_image; }
    const QImage &image() const { return m_image; }

    void ChangeCanvasSize(const QSize &size, int iAnchor);
    void Scale(const QSize &size);
    // Keeps the region's part (canvas cropped to its bounding rectangle),
    // hard-edged: a feathered selection crops by its plain outline, as a
    // soft border would only eat into the picture.
    void Crop(const QRegion &region);

    // Where the anchor (0..8, row by row) puts an image of oldSize on a
    // canvas of newSize; false for an anchor outside the grid.
    static bool AnchorOffset(const QSize &oldSize, const QSize &newSize, int iAnchor, QPoint *pOffset);

    void paint(QPainter *pPainter, const QStyleOptionGraphicsItem *pOption, QWidget *pWidget) override;
    // What paint() does, for pixels taken from a layer: the scene's
    // composition uses it on any thread.
    static void PaintPixels(QPainter *pPainter, const QRect &exposed, const QImage &pixels, int iMode,
                            qreal dOpacity);
    // What the layer draws: its pixels, or with enabled styles the picture
    // of the layer over them (composed now if something changed), whose
    // top-left corner goes at *pOffset in item coordinates.
    const QImage &DrawnPixels(QPoint *pOffset);

    QImage ScratchImage() const override;
    QPointF ScratchPosition() const override { return pos(); }
    void ScratchRestore(const QImage &image, const QPointF &pos) override;

protected:
    QVariant itemChange(GraphicsItemChange change, const QVariant &value) override;
    void wheelEvent(QGraphicsSceneWheelEvent *pEvent) override;

private:
    // The pixels changed in `area` (invalid: anywhere).
    void PixelsChanged(const QRect &area = QRect());
    // Where the layer's drawing changes when its pixels change in `area`.
    QRectF ReachOf(const QRectF &area);
    // The styled bounds follow the image size and the enabled styles.
    void UpdateStyledBounds();

    // The styled picture must be composed again before it is drawn: where
    // the pixels changed, or everywhere when the area is invalid.
    bool m_bChanged = true;
    QRect m_changedArea;
    QImage m_image;
    QImage m_composed; // premultiplied, the size of the styled bounds
    QRect m_composedBounds;
    QRect m_styledBounds;
};
