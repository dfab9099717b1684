#pragma once
#include <QUndoCommand>

class Document;
class Path;

// Adds a path to the end of a document's list, or, as the inverse, takes
// one out (deleting a path). The command owns the path while it is out of
// the document.
class AddPathCmd : public QUndoCommand {
public:
    enum Direction { Add, Delete };
    AddPathCmd(Document *pDocument, Path *pPath, Direction eDirection = Add, QUndoCommand *pParent = nullptr);
    ~AddPathCmd() override;
    int id() const override;
    void redo() override;
    void undo() override;
    Path *path() const { return m_pPath; }

private:
    void PutIn();
    void TakeOut();

    Document *m_pDocument;
    Path *m_pPath;
    Direction m_eDirection;
    int m_iIndex = -1;
    bool m_bOwned;
};
