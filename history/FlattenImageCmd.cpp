#include "FlattenImageCmd.h"

#include "Document.h"
#include "CommandSupport.h"
#include "LayerMergeDownCmd.h"
#include "PixmapLayer.h"
#include "ScratchDB.h"

FlattenImageCmd::FlattenImageCmd(Document *pDocument)
    : QUndoCommand(QStringLiteral("Flatten Image"))
    , m_pDocument(pDocument)
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
    ScratchDB *pStore = &m_pDocument->store();
    for (Layer *pLayer : m_pDocument->GetLayers(true))
        if (pLayer->kind() == Layer::Raster)
            pStore->WaitForPending(static_cast<PixmapLayer *>(pLayer));

    QList<Layer *> layers = m_pDocument->GetLayers(true);
    while (layers.size() > 1) {
        auto *pMerge = new LayerMergeDownCmd(layers.at(1), layers.at(0), this);
        pMerge->redo();
        layers = m_pDocument->GetLayers(true);
    }
}

void FlattenImageCmd::undo()
{
    for (int i = childCount() - 1; i >= 0; --i)
        childAt(this, i)->undo();
}
