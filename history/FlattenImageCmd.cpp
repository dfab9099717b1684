#include "FlattenImageCmd.h"

#include "ChildWindow.h"
#include "CommandSupport.h"
#include "LayerMergeDownCmd.h"
#include "PixmapLayer.h"
#include "ScratchDB.h"

FlattenImageCmd::FlattenImageCmd(ChildWindow *pWindow)
    : QUndoCommand(QStringLiteral("Flatten Image"))
    , m_pWindow(pWindow)
{
}

int FlattenImageCmd::id() const { return commandId<FlattenImageCmd>(); }

void FlattenImageCmd::redo()
{
    if (childCount() > 0) {
        redoChildren(this);
        return;
    }
    // Merge what the user last asked for, not images still being read back.
    ScratchDB *pStore = ScratchDB::instance();
    for (Layer *pLayer : m_pWindow->GetLayers(true))
        if (pLayer->kind() == Layer::Raster)
            pStore->WaitForPending(static_cast<PixmapLayer *>(pLayer));

    QList<Layer *> layers = m_pWindow->GetLayers(true);
    while (layers.size() > 1) {
        auto *pMerge = new LayerMergeDownCmd(layers.at(1), layers.at(0), this);
        pMerge->redo();
        layers = m_pWindow->GetLayers(true);
    }
}

void FlattenImageCmd::undo()
{
    for (int i = childCount() - 1; i >= 0; --i)
        childAt(this, i)->undo();
}
