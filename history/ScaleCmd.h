#pragma once
#include <QRegion>
#include <QUndoCommand>

class PixmapLayer;
class ScratchDB;

// The move tool's move, scale or turn of a raster layer (named by `text`): a
// snapshot that also puts back the selection it had before and after.
class ScaleCmd : public QUndoCommand {
public:
    ScaleCmd(const QString &text, PixmapLayer *pLayer, const QRegion &after, const QRegion &before);
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
