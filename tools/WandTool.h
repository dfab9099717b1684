#pragma once
#include "FloodTool.h"

// Turns a connected area of similar colour (alpha not compared) into the
// selection, ignoring the selection there was: Shift adds, Alt takes away.
// One undo step per click.
class WandTool : public FloodTool {
    Q_OBJECT
public:
    using FloodTool::FloodTool;

    void Activate() override;
    void Deactivate() override;
    int ToleranceValue() const { return m_iTolerance; }
    void SetTolerance(int iTolerance) { m_iTolerance = iTolerance; }

public Q_SLOTS:
    void MousePress(Qt::MouseButtons buttons, QPoint point, Qt::KeyboardModifiers keys, ChildWindow *pWindow) override;

private:
    // Kept between activations.
    int m_iTolerance = 10;
};
