#pragma once
#include <QUndoCommand>

class Layer;
class QStandardItem;

class RenameLayerCmd : public QUndoCommand {
public:
    RenameLayerCmd(Layer *pLayer, QStandardItem *pItem, const QString &oldName, const QString &newName);
    int id() const override;
    void redo() override;
    void undo() override;

private:
    void Apply(const QString &name);
    Layer *m_pLayer;
    QStandardItem *m_pItem;
    QString m_oldName;
    QString m_newName;
};
