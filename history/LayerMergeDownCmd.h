#pragma once
#include <QUndoCommand>

class Layer;
class ConvertToPixmapCmd;

// Paints the upper layer onto the one below it and deletes the upper one.
// Text layers are converted to raster layers first.
class LayerMergeDownCmd : public QUndoCommand {
public:
    LayerMergeDownCmd(Layer *pUpper, Layer *pLower, QUndoCommand *pParent = nullptr);
    int id() const override;
    void redo() override;
    void undo() override;

private:
    Layer *m_pUpper;
    Layer *m_pLower;
    ConvertToPixmapCmd *m_pConvertUpper = nullptr;
    ConvertToPixmapCmd *m_pConvertLower = nullptr;
    QUndoCommand *m_pDelete = nullptr;
    QUndoCommand *m_pSnapshot = nullptr;
};
