#pragma once
#include "RoundTipTool.h"

// Erases along the mouse path with a round pen of the chosen width, inside
// the selection, as one undo step per stroke.
class EraseTool : public RoundTipTool {
    Q_OBJECT
public:
    using RoundTipTool::RoundTipTool;

    void Activate() override;
    void Deactivate() override;
    void FinishGesture() override;

public Q_SLOTS:
    void MousePosUpdate(int x, int y, ChildWindow *pWindow) override;
    void MousePress(Qt::MouseButtons buttons, QPoint point, Qt::KeyboardModifiers keys, ChildWindow *pWindow) override;
    void MouseRelease(Qt::MouseButtons buttons, QPoint point, Qt::KeyboardModifiers keys,
                      ChildWindow *pWindow) override;

private:
    void EraseTo(ChildWindow *pWindow, QPoint point);

    bool m_bStroke = false;
    QPoint m_last;
};
