#pragma once
#include "ConicalFill.h"
#include "RubberBandTool.h"

#include <QPointF>
#include <QPointer>

#include <memory>

class HandleGraphicsItem;
class QGradient;
class QGraphicsSceneMouseEvent;
class QKeyEvent;
class QToolButton;

// Fills the layer with a linear, radial or conical gradient between two
// colours. After the drag the gradient stays pending: two handles adjust its
// ends, the type and colours can still change, Return records it and Escape
// takes it back. Switching tool, layer or document records a pending
// gradient; one whose ends meet draws nothing.
class GradientTool : public RubberBandTool {
    Q_OBJECT
public:
    enum Type { Linear, Radial, Conical };
    enum State { Idle = 0, Dragging = 1, Pending = 2, OverHandle = 3, DraggingHandle = 4 };

    explicit GradientTool(ToolContext &context, QObject *pParent = nullptr);
    ~GradientTool() override;

    void Activate() override;
    void Deactivate() override;
    void FinishGesture() override;
    QCursor GetCursor() const override;

    int state() const { return m_iState; }
    Type type() const { return m_eType; }
    void SetType(Type eType);
    HandleGraphicsItem *handle(int i) const { return i == 0 ? m_pStartHandle.get() : m_pEndHandle.get(); }
    // The gradient between two points in the given colours, as drawn.
    static std::unique_ptr<QGradient> MakeGradient(Type eType, const QPointF &start, const QPointF &end,
                                                   const QColor &startColor, const QColor &endColor);

public Q_SLOTS:
    void MousePosUpdate(int x, int y, ChildWindow *pWindow) override;
    void MousePress(Qt::MouseButtons buttons, QPoint point, Qt::KeyboardModifiers keys, ChildWindow *pWindow) override;
    void MouseRelease(Qt::MouseButtons buttons, QPoint point, Qt::KeyboardModifiers keys,
                      ChildWindow *pWindow) override;
    void KeyPress(QKeyEvent *pEvent) override;
    void HandleMouseDown(HandleGraphicsItem *pHandle, QGraphicsSceneMouseEvent *pEvent);
    void HandleMouseUp(HandleGraphicsItem *pHandle, QGraphicsSceneMouseEvent *pEvent);
    void HandleMoved(HandleGraphicsItem *pHandle, QGraphicsSceneMouseEvent *pEvent);
    void GradientBtnClicked();
    void ColorPickerChanged(const QColor &color);
    void SwatchSelected(QWidget *pSwatch);

protected:
    void ShapeLayerSwitched() override;

private:
    void Draw();
    QRect ShownCanvas() const;
    void ShowHandles(ChildWindow *pWindow);
    void HideHandles();
    bool OverAHandle(const QPointF &point) const;
    void Commit();
    void DropIfOrphaned();
    void DrawIcons();
    QColor StartColor() const;
    QColor EndColor() const;
    void SetWindowCursor(const QCursor &cursor);

    QPointer<QToolButton> m_pButtons[3];
    int m_iState = Idle;
    Type m_eType = Linear;
    QPointF m_start;
    QPointF m_end;
    QPointer<QWidget> m_pStartSwatch;
    QPointer<QWidget> m_pEndSwatch;
    QPointer<QWidget> m_pCurrentSwatch;
    // Colours last seen in the swatches: a pending gradient keeps them
    // while the tool is away.
    QColor m_startColor = Qt::black;
    QColor m_endColor = Qt::white;
    std::unique_ptr<HandleGraphicsItem> m_pStartHandle;
    std::unique_ptr<HandleGraphicsItem> m_pEndHandle;
    QPointer<ChildWindow> m_pWindow;
    QList<QMetaObject::Connection> m_connections;
    ConicalFill m_conical;
};
