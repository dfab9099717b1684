#pragma once
#include "SelectionTool.h"

#include <QRect>

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
// circles. A press inside the selection moves it instead. The option bar
// also carries the document's feathering.
class SelectTool : public SelectionTool {
    Q_OBJECT
public:
    enum Shape { RectangleShape = 0, EllipseShape = 1 };

    SelectTool(ToolContext &context, int iShape, MoveSelectionTool *pMover, QObject *pParent = nullptr);
    ~SelectTool() override;

    void Deactivate() override;
    QCursor GetCursor() const override;

    // The rectangle a drag from `start` to `point` draws (right and bottom
    // inclusive; empty while the pointer is still on the start pixel).
    static QRect ShapeRect(const QPoint &start, const QPoint &point, bool bCenter, bool bSquare);

public Q_SLOTS:
    void MousePosUpdate(int x, int y, ChildWindow *pWindow) override;
    void MousePress(Qt::MouseButtons buttons, QPoint point, Qt::KeyboardModifiers keys, ChildWindow *pWindow) override;
    void MouseRelease(Qt::MouseButtons buttons, QPoint point, Qt::KeyboardModifiers keys,
                      ChildWindow *pWindow) override;
    void FeatherCheckboxToggle(bool bOn);
    void FeatherSliderChanged(int iValue);

protected:
    void AddOptions() override;
    bool IsGesture() const override { return m_iState == Drawing || m_iState == MovingSelection; }

private:
    enum State { Idle = 0, OverSelection = 1, Drawing = 2, MovingSelection = 3 };
    QAbstractGraphicsShapeItem *Preview() const;
    void SetPreviewRect(const QRect &rect);

    QPointer<SizeReadout> m_pReadout;
    int m_iState = Idle;
    QPoint m_start;
    QRect m_shapeRect;
    QGraphicsEllipseItem *m_pEllipseItem;
    QGraphicsRectItem *m_pRectItem;
    int m_iShape;
    bool m_bCenter = false;
    MoveSelectionTool *m_pMover;
    QPointer<QCheckBox> m_pCenterBox;
    QPointer<QCheckBox> m_pFeatherBox;
    QPointer<QSlider> m_pFeatherSlider;
    QPointer<QSpinBox> m_pFeatherSpin;
};
