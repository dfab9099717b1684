#include "LayerMergeDownCmd.h"

#include "CommandSupport.h"
#include "ConvertToPixmapCmd.h"
#include "DeleteLayerCmd.h"
#include "Document.h"
#include "LayerSnapshotCmd.h"
#include "PixelOps.h"
#include "PixmapLayer.h"
#include "ScratchDB.h"

#include <QPainter>
#include <QStyleOptionGraphicsItem>

LayerMergeDownCmd::LayerMergeDownCmd(Layer *pUpper, Layer *pLower, QUndoCommand *pParent)
    : QUndoCommand(QStringLiteral("Layer Merge Down"), pParent)
    , m_pUpper(pUpper)
    , m_pLower(pLower)
{
}

int LayerMergeDownCmd::id() const { return commandId<LayerMergeDownCmd>(); }

void LayerMergeDownCmd::redo()
{
    if (m_pDelete) {
        if (m_pConvertUpper) {
            m_pConvertUpper->redo();
            m_pUpper = m_pConvertUpper->newLayer();
        }
        if (m_pConvertLower) {
            m_pConvertLower->redo();
            m_pLower = m_pConvertLower->newLayer();
        }
        m_pDelete->redo();
        m_pSnapshot->redo();
        return;
    }
    if (m_pUpper->kind() != Layer::Raster) {
        m_pConvertUpper = new ConvertToPixmapCmd(m_pUpper, this);
        m_pConvertUpper->redo();
        m_pUpper = m_pConvertUpper->newLayer();
    }
    if (m_pLower->kind() != Layer::Raster) {
        m_pConvertLower = new ConvertToPixmapCmd(m_pLower, this);
        m_pConvertLower->redo();
        m_pLower = m_pConvertLower->newLayer();
    }
    auto *pLower = static_cast<PixmapLayer *>(m_pLower);
    // Both layers must show their latest state before they are combined.
    ScratchDB &store = pLower->owner()->store();
    store.WaitForPending(pLower);
    store.WaitForPending(static_cast<PixmapLayer *>(m_pUpper));
    const QImage merged = PixelOps::PaintOnStraight(pLower->image(), [&](QPainter &painter) {
        painter.translate(m_pUpper->pos());
        QStyleOptionGraphicsItem option;
        option.exposedRect = pLower->boundingRect();
        m_pUpper->item()->paint(&painter, &option, nullptr);
    });
    pLower->setImage(merged);
    pLower->update();
    m_pDelete = new DeleteLayerCmd(m_pUpper, this);
    m_pDelete->redo();
    m_pSnapshot = new LayerSnapshotCmd(QStringLiteral("Layer Merge Down Snapshot"), pLower, this);
    m_pSnapshot->redo();
}

void LayerMergeDownCmd::undo()
{
    m_pDelete->undo();
    m_pSnapshot->undo();
    if (m_pConvertLower)
        m_pConvertLower->undo();
    if (m_pConvertUpper)
        m_pConvertUpper->undo();
}
