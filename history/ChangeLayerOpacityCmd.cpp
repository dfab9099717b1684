#include "ChangeLayerOpacityCmd.h"

#include "CommandSupport.h"
#include "Layer.h"

ChangeLayerOpacityCmd::ChangeLayerOpacityCmd(Layer *pLayer, int iOld, int iNew)
    : QUndoCommand(QStringLiteral("Layer(") + pLayer->name() + QStringLiteral(") Opacity"))
    , m_pLayer(pLayer)
    , m_iOld(iOld)
    , m_iNew(iNew)
{
}

int ChangeLayerOpacityCmd::id() const { return commandId<ChangeLayerOpacityCmd>(); }

bool ChangeLayerOpacityCmd::mergeWith(const QUndoCommand *pOther)
{
    if (pOther->id() != id())
        return false;
    auto *pCmd = static_cast<const ChangeLayerOpacityCmd *>(pOther);
    if (pCmd->m_pLayer != m_pLayer)
        return false;
    m_iNew = pCmd->m_iNew;
    return true;
}

// The layer's slider value follows too, so that a later drag starts from
// what the layer shows.
void ChangeLayerOpacityCmd::Apply(int iValue)
{
    m_pLayer->SetOpacityPercent(iValue);
}

void ChangeLayerOpacityCmd::redo() { Apply(m_iNew); }
void ChangeLayerOpacityCmd::undo() { Apply(m_iOld); }
