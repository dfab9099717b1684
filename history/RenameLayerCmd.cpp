#include "RenameLayerCmd.h"

#include "CommandSupport.h"
#include "Layer.h"
#include "LayerDlg.h"

RenameLayerCmd::RenameLayerCmd(Layer *pLayer, QStandardItem *pItem, const QString &oldName, const QString &newName)
    : QUndoCommand(QStringLiteral("Layer Name"))
    , m_pLayer(pLayer)
    , m_pItem(pItem)
    , m_oldName(oldName)
    , m_newName(newName)
{
}

int RenameLayerCmd::id() const { return commandId<RenameLayerCmd>(); }

// The name is set before the row's text so that the row's change signal finds
// them equal and pushes nothing more.
void RenameLayerCmd::Apply(const QString &name)
{
    m_pLayer->setName(name);
    LayerDlg::instance()->RenameLayer(m_pLayer, name);
}

void RenameLayerCmd::redo() { Apply(m_newName); }
void RenameLayerCmd::undo() { Apply(m_oldName); }
