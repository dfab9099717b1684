#include "LayerSnapshotCmd.h"

#include "Document.h"
#include "CommandSupport.h"
#include "PixmapLayer.h"
#include "ScratchDB.h"

LayerSnapshotCmd::LayerSnapshotCmd(const QString &text, PixmapLayer *pLayer, QUndoCommand *pParent)
    : QUndoCommand(text, pParent)
    , m_pLayer(pLayer)
    , m_iOwnId(kNoSnapshot)
    , m_iPreviousId(pLayer->currentSnapshotId())
    , m_store(pLayer->owner()->store())
{
}

LayerSnapshotCmd::~LayerSnapshotCmd()
{
    if (m_iOwnId != kNoSnapshot)
        m_store.ReleaseItem(m_iOwnId);
}

int LayerSnapshotCmd::id() const { return commandId<LayerSnapshotCmd>(); }

void LayerSnapshotCmd::redo()
{
    ScratchDB *pStore = &m_store;
    const bool bFirst = m_iOwnId == kNoSnapshot;
    if (bFirst)
        m_iOwnId = pStore->AddItem(m_pLayer);
    else
        pStore->RestoreItem(m_pLayer, m_iOwnId); // refreshes the thumbnail when the pixels land
    m_pLayer->setCurrentSnapshotId(m_iOwnId);
}

void LayerSnapshotCmd::undo()
{
    if (m_iPreviousId == kNoSnapshot)
        return;
    m_store.RestoreItem(m_pLayer, m_iPreviousId);
    m_pLayer->setCurrentSnapshotId(m_iPreviousId);
}

void LayerSnapshotCmd::ChangeRasters(Document *pDocument, const QString &prefix,
                                     const std::function<QImage(const QImage &)> &change, QUndoCommand *pParent)
{
    ScratchDB *pStore = &pDocument->store();
    for (Layer *pLayer : pDocument->GetLayers(true)) {
        if (pLayer->kind() != Layer::Raster)
            continue;
        auto *pRaster = static_cast<PixmapLayer *>(pLayer);
        // Change what the user last asked for, not an image still being read back.
        pStore->WaitForPending(pRaster);
        pRaster->setImage(change(pRaster->image()));
        pRaster->update();
        auto *pSnapshot = new LayerSnapshotCmd(prefix + pRaster->name(), pRaster, pParent);
        pSnapshot->redo();
    }
}
