#include "Layer.h"

#include "ChildWindow.h"
#include "GraphicsScene.h"
#include "LayerDlg.h"

#include <QGraphicsItem>
#include <QGraphicsScene>

Layer::Layer(int iKind)
    : m_iKind(iKind)
    , m_iOpacityValue(LayerDlg::kOpacityMaximum)
{
}

Layer::~Layer() = default;

QGraphicsScene *Layer::homeScene() const
{
    return m_pWindow ? m_pWindow->scene() : nullptr;
}

void Layer::setBlendingMode(int iMode)
{
    if (iMode == m_iBlendingMode)
        return;
    m_iBlendingMode = iMode;
    InvalidateArea();
}

void Layer::InvalidateArea(const QRectF &area)
{
    QGraphicsItem *pItem = item();
    auto *pScene = qobject_cast<GraphicsScene *>(pItem->scene());
    if (!pScene)
        return;
    // Raster layers paint one pixel past their bounding rectangle, text may
    // overhang it: a pixel of margin covers both.
    const QRectF r = area.isValid() ? area : pItem->boundingRect();
    pScene->Invalidate(pItem->mapRectToScene(r.adjusted(-1, -1, 1, 1)));
}

void Layer::LayerItemChange(QGraphicsItem::GraphicsItemChange change, const QVariant &value)
{
    switch (change) {
    case QGraphicsItem::ItemVisibleChange:
        // The scene also sends this, unchanged, when it polishes a new item.
        if (value.toBool() != item()->isVisible())
            InvalidateArea();
        break;
    case QGraphicsItem::ItemPositionChange:
    case QGraphicsItem::ItemPositionHasChanged:
    case QGraphicsItem::ItemTransformChange:
    case QGraphicsItem::ItemTransformHasChanged:
    case QGraphicsItem::ItemZValueHasChanged:
    case QGraphicsItem::ItemOpacityHasChanged:
    case QGraphicsItem::ItemSceneChange: // still in the old scene
    case QGraphicsItem::ItemSceneHasChanged:
        InvalidateArea();
        break;
    default:
        break;
    }
}

void Layer::setDeleted(bool bDeleted)
{
    if (bDeleted == m_bDeleted)
        return;
    m_bDeleted = bDeleted;
    QGraphicsItem *pItem = item();
    if (bDeleted) {
        LayerDlg::instance()->RemoveLayer(this);
        if (pItem->scene())
            pItem->scene()->removeItem(pItem);
        return;
    }
    if (QGraphicsScene *pScene = homeScene(); pScene && pItem->scene() != pScene)
        pScene->addItem(pItem);
    if (m_pWindow)
        m_pWindow->RefreshLayerPanel();
}
