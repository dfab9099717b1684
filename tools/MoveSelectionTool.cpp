#include "MoveSelectionTool.h"

#include "ChildWindow.h"
#include "SelectionTool.h"

void MoveSelectionTool::Activate()
{
    BeginActivation();
}

void MoveSelectionTool::Deactivate()
{
    // A drag cut short by switching tools still lands where it got to.
    if (m_bMoving)
        MouseRelease(Qt::NoButton, m_last, Qt::NoModifier, m_pWindow);
    EndActivation();
}

QCursor MoveSelectionTool::GetCursor() const
{
    return QCursor(Qt::SizeAllCursor);
}

void MoveSelectionTool::MousePress(Qt::MouseButtons buttons, QPoint point, Qt::KeyboardModifiers,
                                   ChildWindow *pWindow)
{
    if (!pWindow || !(buttons & Qt::LeftButton) || m_bMoving)
        return;
    m_pressRegion = pWindow->Selection();
    if (m_pressRegion.isEmpty())
        return;
    m_press = m_last = point;
    m_bMoving = true;
    m_pWindow = pWindow;
}

void MoveSelectionTool::MousePosUpdate(int x, int y, ChildWindow *pWindow)
{
    if (!m_bMoving || pWindow != m_pWindow)
        return;
    const QPoint point(x, y);
    if (!pWindow->Selection().isEmpty())
        pWindow->MoveSelectionOutline(QPointF(point - m_last));
    m_last = point;
}

void MoveSelectionTool::MouseRelease(Qt::MouseButtons, QPoint point, Qt::KeyboardModifiers, ChildWindow *pWindow)
{
    if (!m_bMoving)
        return;
    m_bMoving = false;
    if (!pWindow || pWindow != m_pWindow)
        return;
    const QRegion moved = m_pressRegion.translated(point - m_press);
    if (moved == m_pressRegion) {
        // Back where it started: the outline returns, nothing is recorded.
        pWindow->SetSelection(m_pressRegion);
        return;
    }
    SelectionTool::PushChange(pWindow->document(), m_pressRegion, moved);
}
