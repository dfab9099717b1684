#pragma once
#include <QUndoCommand>

class Layer;

// Rows count from the top of the layer stack (deleted layers left out); repeated moves of one layer
// merge into one entry.
class ChangeLayerOrderCmd : public QUndoCommand {
public:
    ChangeLayerOrderCmd(Layer *pLayer, int iFromRow, int iToRow);
    int id() const override;
    bool mergeWith(const QUndoCommand *pOther) override;
    void redo() override;
    void undo() override;

private:
    Layer *m_pLayer;
    int m_iFrom;
    int m_iTo;
};
