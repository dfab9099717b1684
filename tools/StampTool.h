#pragma once
#include "RoundTipTool.h"

#include <QImage>

#include <memory>

class QGraphicsPixmapItem;

// The clone stamp: Alt-click sets the source point (marked on the canvas);
// dragging then paints, through a round pen of the tool's width, the pixels
// at the source, which moves along with the mouse. The pixels come from the
// layer as it was at the press. The source stays where the stroke left it
// until another tool is chosen.
class StampTool : public RoundTipTool {
    Q_OBJECT
public:
    explicit StampTool(ToolContext &context, QObject *pParent = nullptr);
    ~StampTool() override;

    void Deactivate() override;

    bool HasSource() const;
    QPoint SourcePoint() const { return m_source; }
    QGraphicsPixmapItem *marker() const { return m_pMarker.get(); }

protected:
    void AddOptions() override;
    void WidthChanged() override;
    // Alt-click sets the source instead.
    bool StartStroke(PixmapLayer *pLayer, QPoint point, Qt::KeyboardModifiers keys) override;
    void StrokeTo(QPoint point) override;
    void EndStroke() override { m_copy = QImage(); }

private:
    void PlaceMarker();
    void DrawMarker();

    QImage m_copy; // the layer at the press, premultiplied for drawing
    QImage m_mask; // each step's pen shape filled with source pixels
    QPoint m_source;
    std::unique_ptr<QGraphicsPixmapItem> m_pMarker;
};
