#include "CreateLayerCmd.h"

#include "ChildWindow.h"
#include "CommandSupport.h"
#include "LayerSnapshotCmd.h"
#include "PixmapLayer.h"

CreateLayerCmd::CreateLayerCmd(ChildWindow *pWindow, int iKind, QUndoCommand *pParent)
    : QUndoCommand(QStringLiteral("New Layer"), pParent)
    , m_pWindow(pWindow)
    , m_iKind(iKind)
{
}

int CreateLayerCmd::id() const { return commandId<CreateLayerCmd>(); }

void CreateLayerCmd::redo()
{
    if (!m_pLayer) {
        m_pLayer = m_pWindow->CreateLayer(m_iKind);
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
