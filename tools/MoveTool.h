#pragma once
#include "BaseTool.h"
#include "CanvasOverlay.h"
#include "FloatingPicture.h"
#include "MoveOptions.h"
#include "TransformFrame.h"

#include <QPointer>
#include <QRect>

class Document;
class HandleGraphicsItem;
class Layer;
class QGraphicsPixmapItem;
class QGraphicsSceneMouseEvent;
class QMouseEvent;

// Moves the current layer's content. A text layer moves as a whole, one undo
// step per drag or nudge. On a raster layer the selected pixels (the whole
// layer without a selection) are lifted into a floating picture framed by
// eight handles: drag it, nudge it with the arrow keys, resize it (Ctrl keeps
// the lifted proportions), rotate it; then commit it as one undo step
// (Return, or the accept button) or put everything back (Escape, cancel,
// switching tools). It takes the mouse from the document's overlay, in
// screen pixels, so its handles keep their size at every zoom.
class MoveTool : public BaseTool {
    Q_OBJECT
public:
    explicit MoveTool(ToolContext &context, QObject *pParent = nullptr);
    ~MoveTool() override;

    void Activate() override;
    void Deactivate() override;
    QCursor GetCursor() const override;

    bool IsPending() const { return m_float.IsLifted(); }
    void FinishGesture() override;
    bool PendingLanding(Landing *pLanding) const override;
    // The frame of the floating picture (canvas pixels) and its angle.
    QRect Box() const { return m_box; }
    double Rotation() const { return m_dRotation; }
    HandleGraphicsItem *Handle(int iId) const { return m_frame.Handle(iId); }
    const CanvasOverlay &Overlay() const { return m_overlay; }

public Q_SLOTS:
    void MouseDown(QMouseEvent *pEvent);
    void MouseMove(QMouseEvent *pEvent);
    void MouseUp(QMouseEvent *pEvent);
    void KeyPress(QKeyEvent *pEvent) override;
    void HandleMouseDown(HandleGraphicsItem *pHandle, QGraphicsSceneMouseEvent *pEvent);
    void HandleMouseUp(HandleGraphicsItem *pHandle, QGraphicsSceneMouseEvent *pEvent);
    void HandleMoved(HandleGraphicsItem *pHandle, QGraphicsSceneMouseEvent *pEvent);
    // Turns the floating picture (lifting it first) to the angle.
    void SetRotation(double dDegrees);
    void SelectionChanged();
    void ZoomChanged();
    void AcceptButtonClicked();
    void CancelButtonClicked();
    void LayerSelectionChanged(Layer *pLayer);

protected:
    bool eventFilter(QObject *pObject, QEvent *pEvent) override;

private:
    enum Mode { Outside = 0, OverHandle = 1, InsideBox = 2, Dragging = 4, Transforming = 5 };

    Document *document() const;
    bool Lift();
    // Something else changed the document while a picture floats: the layer
    // goes back as it was, unless the change already replaced its pixels.
    void Abandon();
    // The step committing the floating picture records: its name after
    // what the user did, and where the selection goes with the pixels.
    QString StepText() const;
    QRegion LandedSelection(const QRegion &before) const;
    void EndPending();
    void Frame();
    void LayOut();
    void Nudge(const QPoint &step);
    void MoveText(Layer *pLayer, const QPoint &from, const QPoint &to);
    void SetMode(int iMode);
    void ConnectDocument(ChildWindow *pWindow);

    CanvasOverlay m_overlay;
    FloatingPicture m_float;
    QPointer<ChildWindow> m_pWindow;
    QPoint m_last;
    QPoint m_press;
    QPointF m_layerPosAtPress;
    QRect m_boxAtPress;
    QRect m_box;
    QRect m_startRect;
    double m_dRotation = 0;
    double m_dAspect = 1;
    int m_iMode = Outside;
    bool m_bBusy = false; // the tool itself is changing the document
    QPointF m_handlePress;
    TransformFrame m_frame;
    QGraphicsPixmapItem *m_pPictureItem;
    MoveOptions m_options;
    QList<QMetaObject::Connection> m_connections;
};
