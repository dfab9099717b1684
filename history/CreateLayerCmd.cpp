#include "CreateLayerCmd.h"

#include "CommandSupport.h"
#include "Document.h"
#include "LayerSnapshotCmd.h"
#include "PixmapLayer.h"

CreateLayerCmd::CreateLayerCmd(Document *pDocument, int iKind, QUndoCommand *pParent)
    : CreateLayerCmd(pDocument, iKind, Fill(), pParent)
{
}

CreateLayerCmd::CreateLayerCmd(Document *pDocument, int iKind, Fill fill, QUndoCommand *pParent)
    : QUndoCommand(QStringLiteral("New Layer"), pParent)
    , m_pDocument(pDocument)
    , m_iKind(iKind)
    , m_fill(std::move(fill))
{
}

int CreateLayerCmd::id() const { return commandId<CreateLayerCmd>(); }

void CreateLayerCmd::redo()
{
    if (!m_pLayer) {
        m_pLayer = m_pDocument->CreateLayer(m_iKind);
        if (m_fill) {
            m_fill(m_pLayer);
            m_fill = nullptr; // what it captured is not needed again
        }
        if (m_iKind == Layer::Raster) {
            auto *pSnapshot = new LayerSnapshotCmd(QStringLiteral("CreateLayer Snapshot"),
                                                   static_cast<PixmapLayer *>(m_pLayer), this);
            pSnapshot->redo();
        }
        return;
    }
    m_pLayer->setDeleted(false);
    redoChildren(this);
}

void CreateLayerCmd::undo()
{
    undoChildren(this);
    m_pLayer->setDeleted(true);
}
