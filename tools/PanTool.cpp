#include "PanTool.h"

#include "ChildWindow.h"
#include "GraphicsView.h"

#include <QScrollArea>
#include <QScrollBar>

QCursor PanTool::GetCursor() const
{
    return QCursor(m_iState == Panning ? Qt::ClosedHandCursor : Qt::OpenHandCursor);
}

void PanTool::Activate()
{
    BeginActivation();
}

void PanTool::Deactivate()
{
    m_iState = Idle;
    EndActivation();
}

void PanTool::MousePress(Qt::MouseButtons, QPoint point, Qt::KeyboardModifiers, ChildWindow *pWindow)
{
    if (!pWindow)
        return;
    // Below 100 % the whole canvas is in sight: there is nothing to pan.
    const QSize canvas = pWindow->canvasSize();
    const QSize view = pWindow->view()->size();
    if (view.width() < canvas.width() && view.height() < canvas.height())
        return;
    m_press = m_last = point;
    m_iState = Panning;
    RefreshCursor();
}

void PanTool::MousePosUpdate(int x, int y, ChildWindow *pWindow)
{
    const QPoint delta = QPoint(x, y) - m_last;
    if (m_iState == Panning && pWindow) {
        const QSize canvas = pWindow->canvasSize();
        QScrollBar *pVertical = pWindow->scrollArea()->verticalScrollBar();
        QScrollBar *pHorizontal = pWindow->scrollArea()->horizontalScrollBar();
        pVertical->setValue(int(pVertical->value() + double(delta.y()) / canvas.height() * pVertical->maximum()));
        pHorizontal->setValue(
            int(pHorizontal->value() + double(delta.x()) / canvas.width() * pHorizontal->maximum()));
    }
    m_last = QPoint(x, y);
}

void PanTool::MouseRelease(Qt::MouseButtons, QPoint, Qt::KeyboardModifiers, ChildWindow *)
{
    m_iState = Idle;
    RefreshCursor();
}
