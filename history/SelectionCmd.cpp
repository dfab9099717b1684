#include "SelectionCmd.h"

#include "Document.h"
#include "CommandSupport.h"

SelectionCmd::SelectionCmd(Document *pDocument, const QRegion &oldRegion, const QRegion &newRegion)
    : QUndoCommand(QStringLiteral("Selection Change"))
    , m_pDocument(pDocument)
    , m_old(oldRegion)
    , m_new(newRegion)
{
}

int SelectionCmd::id() const { return commandId<SelectionCmd>(); }
void SelectionCmd::redo() { m_pDocument->SetSelection(m_new); }
void SelectionCmd::undo() { m_pDocument->SetSelection(m_old); }
