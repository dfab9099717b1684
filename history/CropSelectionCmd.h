#pragma once
#include <QList>
#include <QRegion>
#include <QSize>
#include <QUndoCommand>

class Document;

// Crops the canvas to the bounding rectangle of the selection.
class CropSelectionCmd : public QUndoCommand {
public:
    CropSelectionCmd(Document *pDocument, const QRegion &region, int iOldWidth, int iOldHeight);
    int id() const override;
    void redo() override;
    void undo() override;

private:
    Document *m_pDocument;
    QRegion m_region;
    int m_iOldWidth, m_iOldHeight;
    QList<QUndoCommand *> m_textMoves;
    QList<QUndoCommand *> m_snapshots;
};
