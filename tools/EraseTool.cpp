#include "EraseTool.h"

#include "ChildWindow.h"
#include "LayerSnapshotCmd.h"
#include "PaintToolSupport.h"
#include "PixmapLayer.h"

#include <QPainter>
#include <QUndoStack>

void EraseTool::Activate()
{
    AddWidthOptions(QStringLiteral("Eraser Width"));
    BeginActivation();
}

void EraseTool::FinishGesture()
{
    // A stroke cut short still lands as one step.
    if (m_bStroke)
        MouseRelease(Qt::NoButton, QPoint(), Qt::NoModifier, CurrentWindow());
}

void EraseTool::Deactivate()
{
    FinishGesture();
    EndActivation();
}

void EraseTool::MousePress(Qt::MouseButtons buttons, QPoint point, Qt::KeyboardModifiers, ChildWindow *pWindow)
{
    if (!(buttons & Qt::LeftButton) || m_bStroke)
        return;
    PixmapLayer *pLayer = PaintToolSupport::RasterForPainting(pWindow);
    if (!pLayer)
        return;
    // The stroke gathers the pen's coverage; each commit takes that much
    // alpha from the layer as it was at the press, inside the selection.
    pWindow->document()->BeginPaint(true, pLayer);
    m_last = point;
    m_bStroke = true;
    EraseTo(pWindow, point);
}

void EraseTool::EraseTo(ChildWindow *pWindow, QPoint point)
{
    Document *pDocument = pWindow->document();
    QPainter *pPainter = pDocument->BeginStroke();
    pPainter->setRenderHint(QPainter::Antialiasing);
    pPainter->setPen(QPen(Qt::black, m_iWidth, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    pPainter->drawLine(m_last, point);
    const int reach = m_iWidth / 2 + 2;
    pDocument->CommitErase(QRect(m_last, point).normalized().adjusted(-reach, -reach, reach, reach));
    m_last = point;
}

void EraseTool::MousePosUpdate(int x, int y, ChildWindow *pWindow)
{
    if (m_bStroke && pWindow)
        EraseTo(pWindow, QPoint(x, y));
}

void EraseTool::MouseRelease(Qt::MouseButtons buttons, QPoint, Qt::KeyboardModifiers, ChildWindow *pWindow)
{
    if (!m_bStroke || (buttons & Qt::LeftButton) || !pWindow)
        return;
    m_bStroke = false;
    PaintToolSupport::EndStroke(pWindow, QStringLiteral("Erase - "));
}
