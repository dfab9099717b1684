#pragma once
#include <QGraphicsScene>
#include <QPixmap>

// The document's scene: draws the transparency checkerboard under the layers.
class GraphicsScene : public QGraphicsScene {
    Q_OBJECT
public:
    explicit GraphicsScene(QObject *pParent = nullptr);

protected:
    void drawBackground(QPainter *pPainter, const QRectF &rect) override;
    void wheelEvent(QGraphicsSceneWheelEvent *pEvent) override;

private:
    QPixmap m_tile;
};
