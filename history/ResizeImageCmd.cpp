#include "ResizeImageCmd.h"

#include "Document.h"
#include "CommandSupport.h"
#include "LayerSnapshotCmd.h"
#include "PixmapLayer.h"
#include "ScratchDB.h"

ResizeImageCmd::ResizeImageCmd(Document *pDocument, int iNewWidth, int iNewHeight, int iOldWidth, int iOldHeight)
    : QUndoCommand(QStringLiteral("Image Resize"))
    , m_pDocument(pDocument)
    , m_iNewWidth(iNewWidth)
    , m_iNewHeight(iNewHeight)
    , m_iOldWidth(iOldWidth)
    , m_iOldHeight(iOldHeight)
{
}

int ResizeImageCmd::id() const { return commandId<ResizeImageCmd>(); }

void ResizeImageCmd::redo()
{
    if (childCount() > 0) {
        // The snapshots hold the scaled pixels already: scaling again would
        // only be thrown away.
        m_pDocument->SetCanvasSize(QSize(m_iNewWidth, m_iNewHeight));
        redoChildren(this);
        return;
    }
    // Scale what the user last asked for, not an image still being read back.
    ScratchDB *pStore = &m_pDocument->store();
    for (Layer *pLayer : m_pDocument->GetLayers())
        if (pLayer->kind() == Layer::Raster)
            pStore->WaitForPending(static_cast<PixmapLayer *>(pLayer));
    m_pDocument->ScaleImage(QSize(m_iNewWidth, m_iNewHeight));
    // Deleted layers too: the window scaled them, and undo must put them back.
    for (Layer *pLayer : m_pDocument->GetLayers()) {
        if (pLayer->kind() != Layer::Raster)
            continue;
        auto *pSnapshot = new LayerSnapshotCmd(QStringLiteral("Resize Snapshot"), static_cast<PixmapLayer *>(pLayer), this);
        pSnapshot->redo();
    }
}

void ResizeImageCmd::undo()
{
    // The snapshots bring back the exact earlier pixels; scaling back first
    // would only be thrown away.
    m_pDocument->SetCanvasSize(QSize(m_iOldWidth, m_iOldHeight));
    undoChildren(this);
}
