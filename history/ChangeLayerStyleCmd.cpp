#include "ChangeLayerStyleCmd.h"

#include "CommandSupport.h"
#include "Layer.h"

ChangeLayerStyleCmd::ChangeLayerStyleCmd(Layer *pLayer, const QByteArray &before, const QByteArray &after,
                                         int iGesture)
    : QUndoCommand(QStringLiteral("Layer(") + pLayer->name() + QStringLiteral(") Style"))
    , m_pLayer(pLayer)
    , m_before(before)
    , m_after(after)
    , m_iGesture(iGesture)
{
}

int ChangeLayerStyleCmd::id() const { return commandId<ChangeLayerStyleCmd>(); }

bool ChangeLayerStyleCmd::mergeWith(const QUndoCommand *pOther)
{
    if (pOther->id() != id())
        return false;
    auto *pCmd = static_cast<const ChangeLayerStyleCmd *>(pOther);
    if (m_iGesture == 0 || pCmd->m_iGesture != m_iGesture || pCmd->m_pLayer != m_pLayer)
        return false;
    m_after = pCmd->m_after;
    // A drag that ends where it began leaves no step behind.
    setObsolete(m_after == m_before);
    return true;
}

void ChangeLayerStyleCmd::redo()
{
    m_pLayer->styles().SetState(m_after);
}

void ChangeLayerStyleCmd::undo()
{
    m_pLayer->styles().SetState(m_before);
}
