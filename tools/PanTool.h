#pragma once
#include "BaseTool.h"

// Drags the view of a zoomed-in document around by its scroll bars.
class PanTool : public BaseTool {
    Q_OBJECT
public:
    using BaseTool::BaseTool;

    void Activate() override;
    void Deactivate() override;
    QCursor GetCursor() const override;

public Q_SLOTS:
    void MousePosUpdate(int x, int y, ChildWindow *pWindow) override;
    void MousePress(Qt::MouseButtons buttons, QPoint point, Qt::KeyboardModifiers keys, ChildWindow *pWindow) override;
    void MouseRelease(Qt::MouseButtons buttons, QPoint point, Qt::KeyboardModifiers keys,
                      ChildWindow *pWindow) override;

private:
    enum State { Idle = 0, Panning = 1 };
    QPoint m_last;
    QPoint m_press;
    int m_iState = Idle;
};
