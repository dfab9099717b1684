#pragma once
#include <QList>
#include <QRegion>
#include <QSize>
#include <QUndoCommand>

class ChildWindow;

// Scales every raster layer and the canvas.
class ResizeImageCmd : public QUndoCommand {
public:
    ResizeImageCmd(ChildWindow *pWindow, int iNewWidth, int iNewHeight, int iOldWidth, int iOldHeight);
    int id() const override;
    void redo() override;
    void undo() override;

private:
    ChildWindow *m_pWindow;
    int m_iNewWidth, m_iNewHeight, m_iOldWidth, m_iOldHeight;
};
