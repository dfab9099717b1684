#include "CropSelectionCmd.h"

#include "Document.h"
#include "CommandSupport.h"
#include "LayerSnapshotCmd.h"
#include "MoveTextCmd.h"
#include "PixmapLayer.h"
#include "ScratchDB.h"
#include "TextLayer.h"

CropSelectionCmd::CropSelectionCmd(Document *pDocument, const QRegion &region, int iOldWidth, int iOldHeight)
    : QUndoCommand(QStringLiteral("Crop Selection"))
    , m_pDocument(pDocument)
    , m_region(region)
    , m_iOldWidth(iOldWidth)
    , m_iOldHeight(iOldHeight)
{
}

int CropSelectionCmd::id() const { return commandId<CropSelectionCmd>(); }

void CropSelectionCmd::redo()
{
    if (childCount() == 0) {
        ScratchDB *pStore = &m_pDocument->store();
        for (Layer *pLayer : m_pDocument->GetLayers(true)) {
            if (pLayer->kind() == Layer::Text) {
                auto *pText = static_cast<TextLayer *>(pLayer);
                const QPoint from = pText->pos().toPoint();
                pText->Crop(m_region);
                auto *pMove = new MoveTextCmd(pText, from, pText->pos().toPoint(), this);
                pMove->redo();
                m_textMoves.append(pMove);
            } else {
                auto *pRaster = static_cast<PixmapLayer *>(pLayer);
                pStore->WaitForPending(pRaster);
                pRaster->Crop(m_region);
                auto *pSnapshot = new LayerSnapshotCmd(QStringLiteral("Crop Snapshot"), pRaster, this);
                pSnapshot->redo();
                m_snapshots.append(pSnapshot);
            }
        }
    } else {
        for (QUndoCommand *pCmd : std::as_const(m_textMoves))
            pCmd->redo();
        for (QUndoCommand *pCmd : std::as_const(m_snapshots))
            pCmd->redo();
    }
    m_pDocument->SetCanvasSize(m_region.boundingRect().size());
    m_pDocument->SetSelection(QRegion());
}

void CropSelectionCmd::undo()
{
    m_pDocument->SetCanvasSize(QSize(m_iOldWidth, m_iOldHeight));
    for (int i = childCount() - 1; i >= 0; --i)
        childAt(this, i)->undo();
    m_pDocument->SetSelection(m_region);
}
