#include "ResizeCanvasCmd.h"

#include "ChildWindow.h"
#include "CommandSupport.h"
#include "LayerSnapshotCmd.h"
#include "MainWindow.h"
#include "MoveTextCmd.h"
#include "PixmapLayer.h"
#include "ScratchDB.h"

ResizeCanvasCmd::ResizeCanvasCmd(ChildWindow *pWindow, int iNewWidth, int iNewHeight, int iOldWidth,
                                 int iOldHeight, int iAnchor)
    : QUndoCommand(QStringLiteral("Resize Canvas"))
    , m_pWindow(pWindow)
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
        m_pWindow->SetCanvasSize(newSize);
        for (Layer *pLayer : m_pWindow->GetLayers(true)) {
            if (pLayer->kind() == Layer::Text) {
                const QPoint from = pLayer->pos().toPoint();
                const QPoint to = from + QPoint(m_iNewWidth - m_iOldWidth, m_iNewHeight - m_iOldHeight);
                auto *pMove = new MoveTextCmd(pLayer, from, to, this);
                pMove->redo();
                m_textMoves.append(pMove);
            } else {
                auto *pRaster = static_cast<PixmapLayer *>(pLayer);
                // Place what the user last asked for, not an image still being read back.
                ScratchDB::instance()->WaitForPending(pRaster);
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
        m_pWindow->SetCanvasSize(newSize);
    }
    MainWindow::FitDocument(m_pWindow);
}

void ResizeCanvasCmd::undo()
{
    m_pWindow->SetCanvasSize(QSize(m_iOldWidth, m_iOldHeight));
    for (int i = childCount() - 1; i >= 0; --i)
        childAt(this, i)->undo();
    MainWindow::FitDocument(m_pWindow);
}
