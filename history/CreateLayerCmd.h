#pragma once
#include <QUndoCommand>

#include <functional>

class Document;
class Layer;

// Creates a layer on first redo; later redos bring the same layer back. A
// layer born with content (a copy, a paste, an imported file) gets it from
// `fill` before its creation snapshot is taken, so undo and redo keep it.
class CreateLayerCmd : public QUndoCommand {
public:
    using Fill = std::function<void(Layer *)>;

    CreateLayerCmd(Document *pDocument, int iKind, QUndoCommand *pParent = nullptr);
    CreateLayerCmd(Document *pDocument, int iKind, Fill fill, QUndoCommand *pParent = nullptr);
    int id() const override;
    void redo() override;
    void undo() override;
    Layer *layer() const { return m_pLayer; }

private:
    Document *m_pDocument;
    int m_iKind;
    Fill m_fill;
    Layer *m_pLayer = nullptr;
};
