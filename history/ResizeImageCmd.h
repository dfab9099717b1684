#pragma once
#include <QList>
#include <QRegion>
#include <QSize>
#include <QUndoCommand>

class Document;

// Scales every raster layer and the canvas.
class ResizeImageCmd : public QUndoCommand {
public:
    ResizeImageCmd(Document *pDocument, int iNewWidth, int iNewHeight, int iOldWidth, int iOldHeight);
    int id() const override;
    void redo() override;
    void undo() override;

private:
    Document *m_pDocument;
    int m_iNewWidth, m_iNewHeight, m_iOldWidth, m_iOldHeight;
};
