#pragma once
#include <QRegion>
#include <QUndoCommand>

class PixmapLayer;
class ScratchDB;

// The move tool's scale of a raster layer: a snapshot that also puts back the
// selection it had before and after the transform.
class ScaleCmd : public QUndoCommand {
public:
    ScaleCmd(PixmapLayer *pLayer, const QRegion &after, const QRegion &before);
    ~ScaleCmd() override;
    int id() const override;
    void redo() override;
    void undo() override;

private:
    void SetSelection(const QRegion &region);
    void RefreshHandles();

    PixmapLayer *m_pLayer;
    QRegion m_after;
    QRegion m_before;
    int m_iOwnId;
    int m_iPreviousId;
    ScratchDB &m_store;
};
