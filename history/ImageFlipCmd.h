#pragma once
#include <QList>
#include <QRegion>
#include <QSize>
#include <QUndoCommand>

class ChildWindow;

// Mirrors every raster layer.
class ImageFlipCmd : public QUndoCommand {
public:
    ImageFlipCmd(ChildWindow *pWindow, bool bHorizontal, bool bVertical, const QString &text);
    int id() const override;
    void redo() override;
    void undo() override;

private:
    ChildWindow *m_pWindow;
    bool m_bHorizontal;
    bool m_bVertical;
};
