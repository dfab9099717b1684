#pragma once
#include <QList>
#include <QRegion>
#include <QSize>
#include <QUndoCommand>

class ChildWindow;

// Crops the canvas to the bounding rectangle of the selection.
class CropSelectionCmd : public QUndoCommand {
public:
    CropSelectionCmd(ChildWindow *pWindow, const QRegion &region, int iOldWidth, int iOldHeight);
    int id() const override;
    void redo() override;
    void undo() override;

private:
    ChildWindow *m_pWindow;
    QRegion m_region;
    int m_iOldWidth, m_iOldHeight;
    QList<QUndoCommand *> m_textMoves;
    QList<QUndoCommand *> m_snapshots;
};
