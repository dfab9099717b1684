#pragma once
#include "BaseTool.h"

#include <QImage>
#include <QPoint>
#include <QPointer>

#include <memory>

class QComboBox;
class QGraphicsPixmapItem;

// The clone stamp: Alt-click sets the source point (marked on the canvas);
// dragging then paints, through a round pen of the tool's width, the pixels
// at the source, which moves along with the mouse. The pixels come from the
// layer as it was at the press. One undo step per stroke; the source stays
// where the stroke left it until another tool is chosen.
class StampTool : public BaseTool {
    Q_OBJECT
public:
    explicit StampTool(ToolContext &context, QObject *pParent = nullptr);
    ~StampTool() override;

    void Activate() override;
    void Deactivate() override;
    void FinishGesture() override;
    QCursor GetCursor() const override;

    int Width() const { return m_iWidth; }
    bool HasSource() const;
    QPoint SourcePoint() const { return m_source; }
    QGraphicsPixmapItem *marker() const { return m_pMarker.get(); }

public Q_SLOTS:
    void MousePosUpdate(int x, int y, ChildWindow *pWindow) override;
    void MousePress(Qt::MouseButtons buttons, QPoint point, Qt::KeyboardModifiers keys, ChildWindow *pWindow) override;
    void MouseRelease(Qt::MouseButtons buttons, QPoint point, Qt::KeyboardModifiers keys,
                      ChildWindow *pWindow) override;
    void MouseWheel(int iDelta, ChildWindow *pWindow) override;
    void BrushWidthChanged(const QString &text);

private:
    void PlaceMarker();
    void DrawMarker();

    QImage m_copy; // the layer at the press, premultiplied for drawing
    QImage m_mask; // each step's pen shape filled with source pixels
    bool m_bStroke = false;
    bool m_bPainted = false;
    int m_iWidth = 10;
    QPoint m_last;
    QPoint m_start;
    QPoint m_source;
    QPointer<QComboBox> m_pWidths;
    std::unique_ptr<QGraphicsPixmapItem> m_pMarker;
    QPointer<ChildWindow> m_pWindow;
};
