#include "ScaleCmd.h"

#include "ChildWindow.h"
#include "CommandSupport.h"
#include "LayerDlg.h"
#include "PixmapLayer.h"
#include "ScratchDB.h"

ScaleCmd::ScaleCmd(PixmapLayer *pLayer, const QRegion &after, const QRegion &before)
    : QUndoCommand(QStringLiteral("Scale"))
    , m_pLayer(pLayer)
    , m_after(after)
    , m_before(before)
    , m_iOwnId(kNoSnapshot)
    , m_iPreviousId(pLayer->currentSnapshotId())
{
}

ScaleCmd::~ScaleCmd()
{
    // Like the layer snapshots: the item is never restored once the command is gone.
    if (m_iOwnId != kNoSnapshot)
        ScratchDB::instance()->ReleaseItem(m_iOwnId);
}

int ScaleCmd::id() const { return commandId<ScaleCmd>(); }

void ScaleCmd::redo()
{
    ScratchDB *pStore = ScratchDB::instance();
    if (m_iOwnId == kNoSnapshot) {
        // The tool has already changed the layer and the selection.
        m_iOwnId = pStore->AddItem(m_pLayer);
    } else {
        pStore->RestoreItem(m_pLayer, m_iOwnId);
        SetSelection(m_after);
        RefreshHandles();
    }
    m_pLayer->setCurrentSnapshotId(m_iOwnId);
    LayerDlg::instance()->UpdateLayerThumbnail(m_pLayer);
}

void ScaleCmd::undo()
{
    if (m_iPreviousId == kNoSnapshot)
        return;
    ScratchDB::instance()->RestoreItem(m_pLayer, m_iPreviousId);
    m_pLayer->setCurrentSnapshotId(m_iPreviousId);
    LayerDlg::instance()->UpdateLayerThumbnail(m_pLayer);
    SetSelection(m_before);
    RefreshHandles();
}

void ScaleCmd::SetSelection(const QRegion &region)
{
    if (ChildWindow *pWindow = m_pLayer->Layer::window())
        pWindow->SetSelection(region);
}

void ScaleCmd::RefreshHandles()
{
    // The move tool's handles follow the layer once that tool exists.
}
