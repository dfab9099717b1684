#pragma once
#include <QUndoCommand>

class ChildWindow;
class Layer;

// Creates a layer on first redo; later redos bring the same layer back.
class CreateLayerCmd : public QUndoCommand {
public:
    CreateLayerCmd(ChildWindow *pWindow, int iKind, QUndoCommand *pParent = nullptr);
    int id() const override;
    void redo() override;
    void undo() override;
    Layer *layer() const { return m_pLayer; }

private:
    ChildWindow *m_pWindow;
    int m_iKind;
    Layer *m_pLayer = nullptr;
};
