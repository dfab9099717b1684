#pragma once
#include "BaseTool.h"
#include "SelectionToolSupport.h"

#include <QPointer>
#include <QRect>
#include <QRegion>

class MoveSelectionTool;
class QCheckBox;
class QGraphicsEllipseItem;
class QGraphicsRectItem;
class QAbstractGraphicsShapeItem;
class QSlider;
class QSpinBox;
class SizeReadout;

// Draws rectangular (shape 0) or elliptical (shape 1) selections: from a
// corner or, with "Center", around the press point; Ctrl makes squares and
// circles; Shift adds and Alt takes away. A press inside the selection moves
// it instead. The option bar also carries the document's feathering.
class SelectTool : public BaseTool {
    Q_OBJECT
public:
    enum Shape { RectangleShape = 0, EllipseShape = 1 };

    SelectTool(ToolContext &context, int iShape, MoveSelectionTool *pMover, QObject *pParent = nullptr);
    ~SelectTool() override;

    void Activate() override;
    void Deactivate() override;
    void FinishGesture() override;
    QCursor GetCursor() const override;

    // The rectangle a drag from `start` to `point` draws (right and bottom
    // inclusive; empty while the pointer is still on the start pixel).
    static QRect ShapeRect(const QPoint &start, const QPoint &point, bool bCenter, bool bSquare);

public Q_SLOTS:
    void MousePosUpdate(int x, int y, ChildWindow *pWindow) override;
    void MousePress(Qt::MouseButtons buttons, QPoint point, Qt::KeyboardModifiers keys, ChildWindow *pWindow) override;
    void MouseRelease(Qt::MouseButtons buttons, QPoint point, Qt::KeyboardModifiers keys,
                      ChildWindow *pWindow) override;
    void KeyPress(QKeyEvent *pEvent) override;
    void KeyRelease(QKeyEvent *pEvent) override;
    void FeatherCheckboxToggle(bool bOn);
    void FeatherSliderChanged(int iValue);

private:
    enum State { Idle = 0, OverSelection = 1, Drawing = 2, MovingSelection = 3 };
    QAbstractGraphicsShapeItem *Preview() const;
    void SetPreviewRect(const QRect &rect);
    void SetCursorKind(SelectionToolSupport::CursorKind eKind);

    QPointer<SizeReadout> m_pReadout;
    int m_iState = Idle;
    QPoint m_start;
    QPoint m_current;
    QRect m_shapeRect;
    QRegion m_before;
    QGraphicsEllipseItem *m_pEllipseItem;
    QGraphicsRectItem *m_pRectItem;
    int m_iShape;
    SelectionToolSupport::CursorKind m_eCursor = SelectionToolSupport::PlainCursor;
    bool m_bCenter = false;
    MoveSelectionTool *m_pMover;
    QPointer<ChildWindow> m_pWindow;
    QPointer<QCheckBox> m_pCenterBox;
    QPointer<QCheckBox> m_pFeatherBox;
    QPointer<QSlider> m_pFeatherSlider;
    QPointer<QSpinBox> m_pFeatherSpin;
};
