#pragma once
#include <QByteArray>
#include <QUndoCommand>

class Layer;

// A change of a layer's styles: every parameter before and after (the
// style manager's State()). Changes made in one gesture (a slider dragged,
// a colour dragged in the palette) merge into one step.
class ChangeLayerStyleCmd : public QUndoCommand {
public:
    // iGesture 0 is a step of its own; equal non-zero gestures on the same
    // layer merge.
    ChangeLayerStyleCmd(Layer *pLayer, const QByteArray &before, const QByteArray &after, int iGesture = 0);
    int id() const override;
    bool mergeWith(const QUndoCommand *pOther) override;
    void redo() override;
    void undo() override;

private:
    Layer *m_pLayer;
    QByteArray m_before;
    QByteArray m_after;
    int m_iGesture;
};
