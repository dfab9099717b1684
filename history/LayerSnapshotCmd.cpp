#include "LayerSnapshotCmd.h"

#include "ChildWindow.h"
#include "CommandSupport.h"
#include "LayerDlg.h"
#include "PixmapLayer.h"
#include "ScratchDB.h"

LayerSnapshotCmd::LayerSnapshotCmd(const QString &text, PixmapLayer *pLayer, QUndoCommand *pParent)
    : QUndoCommand(text, pParent)
    , m_pLayer(pLayer)
    , m_iOwnId(kNoSnapshot)
    , m_iPreviousId(pLayer->currentSnapshotId())
{
}

LayerSnapshotCmd::~LayerSnapshotCmd()
{
    if (m_iOwnId != kNoSnapshot)
        ScratchDB::instance()->ReleaseItem(m_iOwnId);
}

int LayerSnapshotCmd::id() const { return commandId<LayerSnapshotCmd>(); }

void LayerSnapshotCmd::redo()
{
    ScratchDB *pStore = ScratchDB::instance();
    const bool bFirst = m_iOwnId == kNoSnapshot;
    if (bFirst)
        m_iOwnId = pStore->AddItem(m_pLayer);
    else
        pStore->RestoreItem(m_pLayer, m_iOwnId); // refreshes the thumbnail when the pixels land
    m_pLayer->setCurrentSnapshotId(m_iOwnId);
    if (bFirst)
        LayerDlg::instance()->UpdateLayerThumbnail(m_pLayer);
}

void LayerSnapshotCmd::undo()
{
    if (m_iPreviousId == kNoSnapshot)
        return;
    ScratchDB::instance()->RestoreItem(m_pLayer, m_iPreviousId);
    m_pLayer->setCurrentSnapshotId(m_iPreviousId);
}

void LayerSnapshotCmd::ChangeRasters(ChildWindow *pWindow, const QString &prefix,
                                     const std::function<QPixmap(const QPixmap &)> &change, QUndoCommand *pParent)
{
    ScratchDB *pStore = ScratchDB::instance();
    for (Layer *pLayer : pWindow->GetLayers(true)) {
        if (pLayer->kind() != Layer::Raster)
            continue;
        auto *pRaster = static_cast<PixmapLayer *>(pLayer);
        // Change what the user last asked for, not an image still being read back.
        pStore->WaitForPending(pRaster);
        pRaster->setPixmap(change(pRaster->image()));
        pRaster->update();
        auto *pSnapshot = new LayerSnapshotCmd(prefix + pRaster->name(), pRaster, pParent);
        pSnapshot->redo();
    }
}
