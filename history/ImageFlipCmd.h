#pragma once
#include <QList>
#include <QRegion>
#include <QSize>
#include <QUndoCommand>

class Document;

// Mirrors every raster layer.
class ImageFlipCmd : public QUndoCommand {
public:
    ImageFlipCmd(Document *pDocument, bool bHorizontal, bool bVertical, const QString &text);
    int id() const override;
    void redo() override;
    void undo() override;

private:
    Document *m_pDocument;
    bool m_bHorizontal;
    bool m_bVertical;
};
