#pragma once
#include "Path.h"

#include <QUndoCommand>

class Document;

// A path's points before and after an edit on the canvas.
class PathEditCmd : public QUndoCommand {
public:
    PathEditCmd(Document *pDocument, Path *pPath, const Path &before, const Path &after,
                QUndoCommand *pParent = nullptr);
    int id() const override;
    void redo() override;
    void undo() override;

private:
    void Apply(const Path &points);

    Document *m_pDocument;
    Path *m_pPath;
    Path m_before;
    Path m_after;
};
