#pragma once
#include <QUndoCommand>

class Layer;

// Deleting keeps the layer in its document so undo can bring it back.
class DeleteLayerCmd : public QUndoCommand {
public:
    explicit DeleteLayerCmd(Layer *pLayer, QUndoCommand *pParent = nullptr);
    int id() const override;
    void redo() override;
    void undo() override;

private:
    Layer *m_pLayer;
};
