#include "MoveTextCmd.h"

#include "CommandSupport.h"
#include "Layer.h"

MoveTextCmd::MoveTextCmd(Layer *pLayer, const QPoint &oldPos, const QPoint &newPos, QUndoCommand *pParent)
    : QUndoCommand(QStringLiteral("Move Text"), pParent)
    , m_pLayer(pLayer)
    , m_old(oldPos)
    , m_new(newPos)
{
}

int MoveTextCmd::id() const { return commandId<MoveTextCmd>(); }

bool MoveTextCmd::mergeWith(const QUndoCommand *pOther)
{
    if (pOther->id() != id())
        return false;
    auto *pCmd = static_cast<const MoveTextCmd *>(pOther);
    if (pCmd->m_pLayer != m_pLayer)
        return false;
    m_new = pCmd->m_new;
    return true;
}

void MoveTextCmd::redo() { m_pLayer->setPos(m_new); }
void MoveTextCmd::undo() { m_pLayer->setPos(m_old); }
