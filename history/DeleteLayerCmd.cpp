#include "DeleteLayerCmd.h"

#include "CommandSupport.h"
#include "Layer.h"

DeleteLayerCmd::DeleteLayerCmd(Layer *pLayer, QUndoCommand *pParent)
    : QUndoCommand(QStringLiteral("Delete Layer (") + pLayer->name() + QLatin1Char(')'), pParent)
    , m_pLayer(pLayer)
{
}

int DeleteLayerCmd::id() const { return commandId<DeleteLayerCmd>(); }
void DeleteLayerCmd::redo() { m_pLayer->setDeleted(true); }
void DeleteLayerCmd::undo() { m_pLayer->setDeleted(false); }
