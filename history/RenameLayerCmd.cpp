#include "RenameLayerCmd.h"

#include "CommandSupport.h"
#include "Layer.h"

RenameLayerCmd::RenameLayerCmd(Layer *pLayer, const QString &oldName, const QString &newName)
    : QUndoCommand(QStringLiteral("Layer Name"))
    , m_pLayer(pLayer)
    , m_oldName(oldName)
    , m_newName(newName)
{
}

int RenameLayerCmd::id() const { return commandId<RenameLayerCmd>(); }

void RenameLayerCmd::Apply(const QString &name)
{
    m_pLayer->setName(name);
}

void RenameLayerCmd::redo() { Apply(m_newName); }
void RenameLayerCmd::undo() { Apply(m_oldName); }
