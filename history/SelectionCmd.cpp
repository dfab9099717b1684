#include "SelectionCmd.h"

#include "ChildWindow.h"
#include "CommandSupport.h"

SelectionCmd::SelectionCmd(ChildWindow *pWindow, const QRegion &oldRegion, const QRegion &newRegion)
    : QUndoCommand(QStringLiteral("Selection Change"))
    , m_pWindow(pWindow)
    , m_old(oldRegion)
    , m_new(newRegion)
{
}

int SelectionCmd::id() const { return commandId<SelectionCmd>(); }
void SelectionCmd::redo() { m_pWindow->SetSelection(m_new); }
void SelectionCmd::undo() { m_pWindow->SetSelection(m_old); }
