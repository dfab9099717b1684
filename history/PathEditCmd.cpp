#include "PathEditCmd.h"

#include "CommandSupport.h"
#include "Document.h"

PathEditCmd::PathEditCmd(Document *pDocument, Path *pPath, const Path &before, const Path &after,
                         QUndoCommand *pParent)
    : QUndoCommand(QStringLiteral("Edit Path - ") + pPath->name(), pParent)
    , m_pDocument(pDocument)
    , m_pPath(pPath)
    , m_before(before)
    , m_after(after)
{
}

int PathEditCmd::id() const { return commandId<PathEditCmd>(); }

void PathEditCmd::Apply(const Path &points)
{
    m_pPath->SetPoints(points.startPoint(), points.items());
    m_pDocument->NotifyPathChanged(m_pPath);
}

void PathEditCmd::redo() { Apply(m_after); }
void PathEditCmd::undo() { Apply(m_before); }
