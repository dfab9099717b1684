#include "ResizeCanvasCmd.h"

#include "Document.h"
#include "CommandSupport.h"
#include "LayerSnapshotCmd.h"
#include "MoveTextCmd.h"
#include "PixmapLayer.h"
#include "ScratchDB.h"

ResizeCanvasCmd::ResizeCanvasCmd(Document *pDocument, int iNewWidth, int iNewHeight, int iOldWidth,
                                 int iOldHeight, int iAnchor)
    : QUndoCommand(QStringLiteral("Resize Canvas"))
    , m_pDocument(pDocument)
    , m_iNewWidth(iNewWidth)
    , m_iNewHeight(iNewHeight)
    , m_iOldWidth(iOldWidth)
    , m_iOldHeight(iOldHeight)
    , m_iAnchor(iAnchor)
{
}

int ResizeCanvasCmd::id() const { return commandId<ResizeCanvasCmd>(); }

void ResizeCanvasCmd::redo()
{
    const QSize newSize(m_iNewWidth, m_iNewHeight);
    if (childCount() == 0) {
        m_pDocument->SetCanvasSize(newSize);
        for (Layer *pLayer : m_pDocument->GetLayers(true)) {
            if (pLayer->kind() == Layer::Text) {
                const QPoint from = pLayer->pos().toPoint();
                const QPoint to = from + QPoint(m_iNewWidth - m_iOldWidth, m_iNewHeight - m_iOldHeight);
                auto *pMove = new MoveTextCmd(pLayer, from, to, this);
                pMove->redo();
                m_textMoves.append(pMove);
            } else {
                auto *pRaster = static_cast<PixmapLayer *>(pLayer);
                // Place what the user last asked for, not an image still being read back.
                m_pDocument->store().WaitForPending(pRaster);
                pRaster->ChangeCanvasSize(newSize, m_iAnchor);
                pRaster->update();
                auto *pSnapshot = new LayerSnapshotCmd(QStringLiteral("Resize Snapshot"), pRaster, this);
                pSnapshot->redo();
                m_snapshots.append(pSnapshot);
            }
        }
    } else {
        for (QUndoCommand *pCmd : std::as_const(m_snapshots))
            pCmd->redo();
        for (QUndoCommand *pCmd : std::as_const(m_textMoves))
            pCmd->redo();
        m_pDocument->SetCanvasSize(newSize);
    }
}

void ResizeCanvasCmd::undo()
{
    m_pDocument->SetCanvasSize(QSize(m_iOldWidth, m_iOldHeight));
    for (int i = childCount() - 1; i >= 0; --i)
        childAt(this, i)->undo();
}
