#include "ScaleCmd.h"

#include "Document.h"
#include "CommandSupport.h"
#include "PixmapLayer.h"
#include "ScratchDB.h"

ScaleCmd::ScaleCmd(const QString &text, PixmapLayer *pLayer, const QRegion &after, const QRegion &before)
    : QUndoCommand(text)
    , m_pLayer(pLayer)
    , m_after(after)
    , m_before(before)
    , m_iOwnId(kNoSnapshot)
    , m_iPreviousId(pLayer->currentSnapshotId())
    , m_store(pLayer->owner()->store())
{
}

ScaleCmd::~ScaleCmd()
{
    // Like the layer snapshots: the item is never restored once the command is gone.
    if (m_iOwnId != kNoSnapshot)
        m_store.ReleaseItem(m_iOwnId);
}

int ScaleCmd::id() const { return commandId<ScaleCmd>(); }

void ScaleCmd::redo()
{
    ScratchDB *pStore = &m_store;
    if (m_iOwnId == kNoSnapshot) {
        // The tool has already changed the layer and the selection.
        m_iOwnId = pStore->AddItem(m_pLayer);
    } else {
        pStore->RestoreItem(m_pLayer, m_iOwnId);
        SetSelection(m_after);
        RefreshHandles();
    }
    m_pLayer->setCurrentSnapshotId(m_iOwnId);
}

void ScaleCmd::undo()
{
    if (m_iPreviousId == kNoSnapshot)
        return;
    m_store.RestoreItem(m_pLayer, m_iPreviousId);
    m_pLayer->setCurrentSnapshotId(m_iPreviousId);
    SetSelection(m_before);
    RefreshHandles();
}

void ScaleCmd::SetSelection(const QRegion &region)
{
    if (Document *pDocument = m_pLayer->owner())
        pDocument->SetSelection(region);
}

void ScaleCmd::RefreshHandles()
{
    // Nothing to do: the move tool frames the selection again whenever it
    // changes, and SetSelection() has just changed it.
}
