#pragma once
#include <QUndoCommand>

class Layer;

class ChangeLayerBlendingCmd : public QUndoCommand {
public:
    ChangeLayerBlendingCmd(Layer *pLayer, int iOld, int iNew);
    int id() const override;
    bool mergeWith(const QUndoCommand *pOther) override;
    void redo() override;
    void undo() override;

private:
    void Apply(int iMode);
    Layer *m_pLayer;
    int m_iOld;
    int m_iNew;
};
