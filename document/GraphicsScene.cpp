#include "GraphicsScene.h"

#include <QGraphicsSceneWheelEvent>
#include <QGraphicsView>
#include <QPainter>

GraphicsScene::GraphicsScene(QObject *pParent)
    : QGraphicsScene(pParent)
{
}

void GraphicsScene::drawBackground(QPainter *pPainter, const QRectF &)
{
    if (m_tile.isNull()) {
        m_tile = QPixmap(20, 20);
        QPainter tile(&m_tile);
        tile.setPen(Qt::NoPen);
        const QColor light(Qt::white), grey(204, 204, 204);
        tile.fillRect(0, 0, 10, 10, light);
        tile.fillRect(10, 10, 10, 10, light);
        tile.fillRect(10, 0, 10, 10, grey);
        tile.fillRect(0, 10, 10, 10, grey);
    }
    QPointF origin(0, 0);
    const QList<QGraphicsView *> allViews = views();
    if (!allViews.isEmpty())
        origin = allViews.first()->mapToScene(0, 0);
    pPainter->drawTiledPixmap(QRectF(origin, sceneRect().size()), m_tile);
}

void GraphicsScene::wheelEvent(QGraphicsSceneWheelEvent *pEvent)
{
    pEvent->accept();
}
