#pragma once
#include "BaseTool.h"
#include "SelectionToolSupport.h"

#include <QPainterPath>
#include <QPointer>
#include <QRegion>
#include <QTimer>

class QGraphicsLineItem;
class QGraphicsPathItem;

// Freehand selections: the outline follows the pointer; with Ctrl held it
// runs straight from where Ctrl went down. The outline's ants march while
// it is drawn. Shift adds, Alt takes away, as with the rectangle.
class LassoTool : public BaseTool {
    Q_OBJECT
public:
    explicit LassoTool(ToolContext &context, QObject *pParent = nullptr);
    ~LassoTool() override;

    void Activate() override;
    void Deactivate() override;
    void FinishGesture() override;
    QCursor GetCursor() const override;

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

private:
    enum State { Idle = 0, Freehand = 1, Straight = 2 };
    void StartSegment(const QPoint &anchor);
    void EndSegment();
    void RefreshPens();
    void TakeOutItems();

    SelectionToolSupport::CursorKind m_eCursor = SelectionToolSupport::PlainCursor;
    int m_iState = Idle;
    QPoint m_anchor;
    QPoint m_current;
    QGraphicsLineItem *m_pSegment;
    QTimer m_antsTimer;
    bool m_bAntsPhase = false;
    bool m_bPressed = false;
    QPainterPath m_path;
    QGraphicsPathItem *m_pDashed;
    QGraphicsPathItem *m_pSolid;
    QRegion m_before;
    QPointer<ChildWindow> m_pWindow;
};
