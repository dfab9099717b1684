#pragma once
#include "BaseTool.h"
#include "BoxHandles.h"

#include <QPointer>
#include <QRect>
#include <array>

class CropShadeItem;
class HandleGraphicsItem;
class QComboBox;
class QGraphicsSceneMouseEvent;
class QSpinBox;
class SizeReadout;

// Draws a crop box on the canvas (free, in the canvas's own proportions or a
// fixed ratio), with composition guides, eight handles to adjust it and a
// drag inside to move it. Return crops the canvas to it as one undo step;
// Escape drops it.
class CropTool : public BaseTool {
    Q_OBJECT
public:
    explicit CropTool(ToolContext &context, QObject *pParent = nullptr);
    ~CropTool() override;

    void Activate() override;
    void Deactivate() override;
    void FinishGesture() override;
    QCursor GetCursor() const override;

    QRect CropRect() const { return m_cropRect; }
    HandleGraphicsItem *Handle(int iId) const { return m_handles[size_t(iId)]; }

public Q_SLOTS:
    void MousePosUpdate(int x, int y, ChildWindow *pWindow) override;
    void MousePress(Qt::MouseButtons buttons, QPoint point, Qt::KeyboardModifiers keys, ChildWindow *pWindow) override;
    void MouseRelease(Qt::MouseButtons buttons, QPoint point, Qt::KeyboardModifiers keys,
                      ChildWindow *pWindow) override;
    void KeyPress(QKeyEvent *pEvent) override;
    void KeyRelease(QKeyEvent *pEvent) override;
    void HandleMouseDown(HandleGraphicsItem *pHandle, QGraphicsSceneMouseEvent *pEvent);
    void HandleMouseUp(HandleGraphicsItem *pHandle, QGraphicsSceneMouseEvent *pEvent);
    void HandleMoved(HandleGraphicsItem *pHandle, QGraphicsSceneMouseEvent *pEvent);
    void GuideTypeChanged(int iIndex);
    void RatioTypeChanged(int iIndex);
    void RatioWidthChanged(int iValue);
    void RatioHeightChanged(int iValue);

private:
    enum State { Outside = 0, OverHandle = 1, InsideBox = 2, Drawing = 3, Resizing = 4, MovingBox = 5 };
    double CurrentRatio() const;
    void Refresh();
    void SetState(int iState);
    int HandleAt(const QPointF &point) const;
    void EnableRatioOptions(bool bEnable);
    void EndGesture();
    void Commit();

    int m_iGuide;
    int m_iRatioType;
    QRect m_cropRect;
    QPoint m_anchor;
    QPoint m_current;
    double m_dRatio = 0;
    int m_iState = Outside;
    Qt::KeyboardModifiers m_keys; // as the last event left them (Ctrl draws squares)
    int m_iHoverHandle = -1;
    std::array<HandleGraphicsItem *, BoxHandles::kCount> m_handles{};
    CropShadeItem *m_pShade;
    QPointer<SizeReadout> m_pReadout;
    QPointer<ChildWindow> m_pWindow;
    QPointer<QComboBox> m_pGuideCombo;
    QPointer<QComboBox> m_pRatioCombo;
    QPointer<QSpinBox> m_pWidthSpin;
    QPointer<QSpinBox> m_pHeightSpin;
    QMetaObject::Connection m_zoomConnection;
    QMetaObject::Connection m_canvasConnection;
};
