#include "LayerScene.h"

#include <QGraphicsItem>
#include <QPainter>

QRegion LayerScene::LayerArea(const QGraphicsItem *pItem, const QPainter *pPainter, const QRect &wanted)
{
    const LayerScene *pScene = Of(pItem->scene());
    if (!pScene || !pScene->m_pDrawing || pScene->m_pDrawing != pPainter
        || pPainter->device() != pScene->m_pDrawingDevice)
        return wanted;
    const QPoint offset = pItem->scenePos().toPoint();
    return QRegion(wanted) - QRegion(pScene->m_cacheRect.translated(-offset));
}
