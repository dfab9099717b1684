#pragma once
#include <QList>
#include <QUndoCommand>

class ChildWindow;

// Changes the canvas size around an anchor (0..8, a 3x3 grid row by row).
class ResizeCanvasCmd : public QUndoCommand {
public:
    ResizeCanvasCmd(ChildWindow *pWindow, int iNewWidth, int iNewHeight, int iOldWidth, int iOldHeight, int iAnchor);
    int id() const override;
    void redo() override;
    void undo() override;

private:
    ChildWindow *m_pWindow;
    int m_iNewWidth, m_iNewHeight, m_iOldWidth, m_iOldHeight, m_iAnchor;
    QList<QUndoCommand *> m_textMoves;
    QList<QUndoCommand *> m_snapshots;
};
