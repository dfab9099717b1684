#pragma once
#include "BaseTool.h"

#include <QPointer>

class QComboBox;

// Erases along the mouse path with a round pen of the chosen width, inside
// the selection, as one undo step per stroke.
class EraseTool : public BaseTool {
    Q_OBJECT
public:
    using BaseTool::BaseTool;

    void Activate() override;
    void Deactivate() override;
    QCursor GetCursor() const override;
    int Width() const { return m_iWidth; }

public Q_SLOTS:
    void MousePosUpdate(int x, int y, ChildWindow *pWindow) override;
    void MousePress(Qt::MouseButtons buttons, QPoint point, Qt::KeyboardModifiers keys, ChildWindow *pWindow) override;
    void MouseRelease(Qt::MouseButtons buttons, QPoint point, Qt::KeyboardModifiers keys,
                      ChildWindow *pWindow) override;
    void MouseWheel(int iDelta, ChildWindow *pWindow) override;
    void BrushWidthChanged(const QString &text);

private:
    void EraseTo(ChildWindow *pWindow, QPoint point);

    int m_iWidth = 10;
    bool m_bStroke = false;
    QPoint m_last;
    QPointer<QComboBox> m_pWidths;
};
