#pragma once
#include <QList>
#include <QRegion>
#include <QSize>
#include <QUndoCommand>

class Document;

// Rotates every raster layer and the canvas by a multiple of 90 degrees.
class ImageRotateCmd : public QUndoCommand {
public:
    ImageRotateCmd(Document *pDocument, int iAngle, const QString &text);
    int id() const override;
    void redo() override;
    void undo() override;

private:
    Document *m_pDocument;
    int m_iAngle;
    QSize m_oldSize;
    QSize m_newSize;
};
