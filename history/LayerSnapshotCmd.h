#pragma once
#include <QUndoCommand>

class PixmapLayer;

// Records a raster layer's pixels and position after an edit. The images
// live in the scratch store; the command keeps only item ids.
class LayerSnapshotCmd : public QUndoCommand {
public:
    LayerSnapshotCmd(const QString &text, PixmapLayer *pLayer, QUndoCommand *pParent = nullptr);
    ~LayerSnapshotCmd() override;
    int id() const override;
    void redo() override;
    void undo() override;
    PixmapLayer *layer() const { return m_pLayer; }

private:
    PixmapLayer *m_pLayer;
    int m_iOwnId;
    int m_iPreviousId;
};
