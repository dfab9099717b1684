#include "ChangeLayerOrderCmd.h"

#include "CommandSupport.h"
#include "Layer.h"
#include "Document.h"

ChangeLayerOrderCmd::ChangeLayerOrderCmd(Layer *pLayer, int iFromRow, int iToRow)
    : QUndoCommand(QStringLiteral("Layer Order (") + pLayer->name() + QLatin1Char(')'))
    , m_pLayer(pLayer)
    , m_iFrom(iFromRow)
    , m_iTo(iToRow)
{
}

int ChangeLayerOrderCmd::id() const { return commandId<ChangeLayerOrderCmd>(); }

bool ChangeLayerOrderCmd::mergeWith(const QUndoCommand *pOther)
{
    if (pOther->id() != id())
        return false;
    auto *pCmd = static_cast<const ChangeLayerOrderCmd *>(pOther);
    if (pCmd->m_pLayer != m_pLayer)
        return false;
    // A move past the top or bottom changed nothing; taking its row would
    // make the merged redo change nothing either.
    if (pCmd->m_iTo >= 0 && pCmd->m_iTo < m_pLayer->owner()->CountLayers())
        m_iTo = pCmd->m_iTo;
    return true;
}

void ChangeLayerOrderCmd::redo() { m_pLayer->owner()->MoveLayer(m_pLayer, m_iTo); }
void ChangeLayerOrderCmd::undo() { m_pLayer->owner()->MoveLayer(m_pLayer, m_iFrom); }
