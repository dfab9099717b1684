#pragma once
#include <QRegion>
#include <QUndoCommand>

class Document;

class SelectionCmd : public QUndoCommand {
public:
    SelectionCmd(Document *pDocument, const QRegion &oldRegion, const QRegion &newRegion);
    int id() const override;
    void redo() override;
    void undo() override;

private:
    Document *m_pDocument;
    QRegion m_old;
    QRegion m_new;
};
