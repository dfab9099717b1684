#pragma once
#include <QGraphicsScene>
#include <QRect>
#include <QRegion>

class QGraphicsItem;
class QPaintDevice;
class QPainter;

// What a layer item needs of the scene that shows it: where to report the
// pixels it changed, and which part of itself it still has to paint while the
// scene draws its composed picture. The view's scene implements it; the
// layers never see more of the view than this.
class LayerScene : public QGraphicsScene {
    Q_OBJECT
public:
    using QGraphicsScene::QGraphicsScene;

    // The composed picture is out of date in this area (scene coordinates).
    virtual void Invalidate(const QRectF &area) = 0;
    // Text items report their changes (typing, cursor, layout) through their
    // text control; the scene passes them on to the layer.
    virtual void WatchText(QObject *pTextItem) = 0;

    // What a layer item still has to paint itself of the area it was asked
    // for (item coordinates). Outside the scene's own drawing pass, that is
    // all of it; while the scene draws on pPainter, only what the composed
    // image leaves out.
    static QRegion LayerArea(const QGraphicsItem *pItem, const QPainter *pPainter, const QRect &wanted);
    // The scene, if it is a layer scene.
    static LayerScene *Of(QGraphicsScene *pScene) { return qobject_cast<LayerScene *>(pScene); }

protected:
    QRect m_cacheRect; // what the composed picture covers (scene coordinates)
    // The painter of the drawing pass in progress, if any.
    const QPainter *m_pDrawing = nullptr;
    const QPaintDevice *m_pDrawingDevice = nullptr;
};
