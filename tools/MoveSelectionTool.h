#pragma once
#include "BaseTool.h"

#include <QPointer>
#include <QRegion>

// Drags the selection's outline without touching pixels; the release moves
// the selection, as one undo step, without keeping it to the canvas. The
// rectangle and ellipse tools hand it a press inside the selection.
class MoveSelectionTool : public BaseTool {
    Q_OBJECT
public:
    using BaseTool::BaseTool;

    void Activate() override;
    void Deactivate() override;
    QCursor GetCursor() const override;
    bool IsMoving() const { return m_bMoving; }

public Q_SLOTS:
    void MousePosUpdate(int x, int y, ChildWindow *pWindow) override;
    void MousePress(Qt::MouseButtons buttons, QPoint point, Qt::KeyboardModifiers keys, ChildWindow *pWindow) override;
    void MouseRelease(Qt::MouseButtons buttons, QPoint point, Qt::KeyboardModifiers keys,
                      ChildWindow *pWindow) override;

private:
    QRegion m_pressRegion;
    QPoint m_press;
    QPoint m_last;
    bool m_bMoving = false;
    QPointer<ChildWindow> m_pWindow;
};
