#include "ChangeLayerBlendingCmd.h"

#include "CommandSupport.h"
#include "Layer.h"

ChangeLayerBlendingCmd::ChangeLayerBlendingCmd(Layer *pLayer, int iOld, int iNew)
    : QUndoCommand(QStringLiteral("Layer Blending Mode"))
    , m_pLayer(pLayer)
    , m_iOld(iOld)
    , m_iNew(iNew)
{
}

int ChangeLayerBlendingCmd::id() const { return commandId<ChangeLayerBlendingCmd>(); }

bool ChangeLayerBlendingCmd::mergeWith(const QUndoCommand *pOther)
{
    if (pOther->id() != id())
        return false;
    auto *pCmd = static_cast<const ChangeLayerBlendingCmd *>(pOther);
    if (pCmd->m_pLayer != m_pLayer)
        return false;
    m_iNew = pCmd->m_iNew;
    return true;
}

void ChangeLayerBlendingCmd::Apply(int iMode)
{
    m_pLayer->setBlendingMode(iMode);
    m_pLayer->update();
}

void ChangeLayerBlendingCmd::redo() { Apply(m_iNew); }
void ChangeLayerBlendingCmd::undo() { Apply(m_iOld); }
