#pragma once
#include <QUndoCommand>

#include <functional>

class Document;
class PixmapLayer;
class ScratchDB;
class QImage;

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

    // Replaces the pixels of every raster layer of the document, deleted ones
    // included, by change(pixels), and snapshots each under pParent as
    // "<prefix><layer name>".
    static void ChangeRasters(Document *pDocument, const QString &prefix,
                              const std::function<QImage(const QImage &)> &change, QUndoCommand *pParent);

private:
    PixmapLayer *m_pLayer;
    int m_iOwnId;
    int m_iPreviousId;
    ScratchDB &m_store;
};
