#pragma once
#include <QUndoCommand>

class Layer;

class RenameLayerCmd : public QUndoCommand {
public:
    RenameLayerCmd(Layer *pLayer, const QString &oldName, const QString &newName);
    int id() const override;
    void redo() override;
    void undo() override;

private:
    void Apply(const QString &name);
    Layer *m_pLayer;
    QString m_oldName;
    QString m_newName;
};
