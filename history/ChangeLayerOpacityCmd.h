#pragma once
#include <QUndoCommand>

class Layer;

// One entry per drag: consecutive changes on the same layer merge.
class ChangeLayerOpacityCmd : public QUndoCommand {
public:
    ChangeLayerOpacityCmd(Layer *pLayer, int iOld, int iNew);
    int id() const override;
    bool mergeWith(const QUndoCommand *pOther) override;
    void redo() override;
    void undo() override;
    Layer *layer() const { return m_pLayer; }

private:
    void Apply(int iValue);
    Layer *m_pLayer;
    int m_iOld;
    int m_iNew;
};
