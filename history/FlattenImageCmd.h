#pragma once
#include <QList>
#include <QRegion>
#include <QSize>
#include <QUndoCommand>

class Document;

// Merges every layer, in list order, into the first one.
class FlattenImageCmd : public QUndoCommand {
public:
    explicit FlattenImageCmd(Document *pDocument);
    int id() const override;
    void redo() override;
    void undo() override;

private:
    Document *m_pDocument;
};
