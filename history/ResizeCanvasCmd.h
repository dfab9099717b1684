#pragma once
#include <QList>
#include <QUndoCommand>

class Document;

// Changes the canvas size around an anchor (0..8, a 3x3 grid row by row).
class ResizeCanvasCmd : public QUndoCommand {
public:
    ResizeCanvasCmd(Document *pDocument, int iNewWidth, int iNewHeight, int iOldWidth, int iOldHeight, int iAnchor);
    int id() const override;
    void redo() override;
    void undo() override;

private:
    Document *m_pDocument;
    int m_iNewWidth, m_iNewHeight, m_iOldWidth, m_iOldHeight, m_iAnchor;
    QList<QUndoCommand *> m_textMoves;
    QList<QUndoCommand *> m_snapshots;
};
