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
