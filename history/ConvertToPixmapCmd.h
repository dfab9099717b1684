#pragma once
#include <QUndoCommand>

class Layer;
class PixmapLayer;

// Replaces a text layer by a raster layer holding its rendered text.
class ConvertToPixmapCmd : public QUndoCommand {
public:
    explicit ConvertToPixmapCmd(Layer *pTextLayer, QUndoCommand *pParent = nullptr);
    int id() const override;
    void redo() override;
    void undo() override;
    PixmapLayer *newLayer() const { return m_pNewLayer; }

private:
    Layer *m_pTextLayer;
    PixmapLayer *m_pNewLayer = nullptr;
    QUndoCommand *m_pCreate = nullptr;
    QUndoCommand *m_pDelete = nullptr;
    QUndoCommand *m_pSnapshot = nullptr;
};
