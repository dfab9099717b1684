#pragma once
#include "BaseTool.h"

#include <QPointer>

class QComboBox;
class QLabel;

// Zooms the current document: a click adds 20 points (Ctrl: takes 20 away),
// the wheel adds an eighth of its delta, the combo box on the option bar
// sets a zoom directly. Ctrl+wheel reaches it whichever tool is active.
class ZoomTool : public BaseTool {
    Q_OBJECT
public:
    using BaseTool::BaseTool;

    void Activate() override;
    void Deactivate() override;
    QCursor GetCursor() const override;

    // The percentages the combo box offers.
    static QStringList ZoomSteps();

public Q_SLOTS:
    void MousePress(Qt::MouseButtons buttons, QPoint point, Qt::KeyboardModifiers keys, ChildWindow *pWindow) override;
    void MouseWheel(int iDelta, ChildWindow *pWindow) override;
    void KeyPress(QKeyEvent *pEvent) override;
    void KeyRelease(QKeyEvent *pEvent) override;
    void ZoomFactorChanged(const QString &text);

private:
    void ShowZoomOf(ChildWindow *pWindow);
    static QCursor ZoomCursor(bool bOut);

    double m_dStep = 1.0;
    Qt::KeyboardModifiers m_keys; // as the last event left them
    QPointer<QLabel> m_pLabel;
    QPointer<QComboBox> m_pCombo;
};
