#include "AddPathCmd.h"

#include "CommandSupport.h"
#include "Document.h"
#include "Path.h"

AddPathCmd::AddPathCmd(Document *pDocument, Path *pPath, Direction eDirection, QUndoCommand *pParent)
    : QUndoCommand(eDirection == Add ? QStringLiteral("New Path") : QStringLiteral("Delete Path"), pParent)
    , m_pDocument(pDocument)
    , m_pPath(pPath)
    , m_eDirection(eDirection)
    , m_iIndex(int(pDocument->paths().indexOf(pPath)))
    , m_bOwned(eDirection == Add)
{
    if (m_iIndex < 0)
        m_iIndex = int(pDocument->paths().size());
}

AddPathCmd::~AddPathCmd()
{
    if (m_bOwned)
        delete m_pPath;
}

int AddPathCmd::id() const { return commandId<AddPathCmd>(); }

void AddPathCmd::PutIn()
{
    m_pDocument->InsertPath(m_iIndex, m_pPath);
    m_bOwned = false;
}

void AddPathCmd::TakeOut()
{
    const int index = m_pDocument->TakePath(m_pPath);
    if (index >= 0)
        m_iIndex = index;
    m_bOwned = true;
}

void AddPathCmd::redo()
{
    if (m_eDirection == Add)
        PutIn();
    else
        TakeOut();
}

void AddPathCmd::undo()
{
    if (m_eDirection == Add)
        TakeOut();
    else
        PutIn();
}
