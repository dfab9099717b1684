#pragma once
#include "SelectionTool.h"

#include <QPainterPath>
#include <QTimer>

class QGraphicsLineItem;
class QGraphicsPathItem;

// Freehand selections: the outline follows the pointer; with Ctrl held it
// runs straight from where Ctrl went down. The outline's ants march while
// it is drawn.
class LassoTool : public SelectionTool {
    Q_OBJECT
public:
    explicit LassoTool(ToolContext &context, QObject *pParent = nullptr);
    ~LassoTool() override;

    // The pixels an outline encloses (odd-even rule).
    static QRegion OutlineRegion(const QPainterPath &outline);

public Q_SLOTS:
    void MousePosUpdate(int x, int y, ChildWindow *pWindow) override;
    void MousePress(Qt::MouseButtons buttons, QPoint point, Qt::KeyboardModifiers keys, ChildWindow *pWindow) override;
    void MouseRelease(Qt::MouseButtons buttons, QPoint point, Qt::KeyboardModifiers keys,
                      ChildWindow *pWindow) override;
    void KeyPress(QKeyEvent *pEvent) override;
    void KeyRelease(QKeyEvent *pEvent) override;
    void MarchingAntsTimer();

protected:
    bool IsGesture() const override { return m_bPressed; }

private:
    enum State { Idle = 0, Freehand = 1, Straight = 2 };
    void StartSegment(const QPoint &anchor);
    void EndSegment();
    void RefreshPens();
    void TakeOutItems();

    int m_iState = Idle;
    QPoint m_anchor;
    QGraphicsLineItem *m_pSegment;
    QTimer m_antsTimer;
    bool m_bAntsPhase = false;
    bool m_bPressed = false;
    QPainterPath m_path;
    QGraphicsPathItem *m_pDashed;
    QGraphicsPathItem *m_pSolid;
};
