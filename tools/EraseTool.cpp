#include "EraseTool.h"

#include "ChildWindow.h"

#include <QPainter>

EraseTool::EraseTool(ToolContext &context, QObject *pParent)
    : RoundTipTool(context, QStringLiteral("Eraser Width"), QStringLiteral("Erase"), 10, pParent)
{
}

bool EraseTool::StartStroke(PixmapLayer *pLayer, QPoint point, Qt::KeyboardModifiers)
{
    // The stroke gathers the pen's coverage; each commit takes that much
    // alpha from the layer as it was at the press, inside the selection.
    m_pWindow->document()->BeginPaint(true, pLayer);
    StrokeTo(point);
    return true;
}

void EraseTool::StrokeTo(QPoint point)
{
    Document *pDocument = m_pWindow->document();
    QPainter *pPainter = pDocument->BeginStroke();
    pPainter->setRenderHint(QPainter::Antialiasing);
    pPainter->setPen(QPen(Qt::black, m_iWidth, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    pPainter->drawLine(m_last, point);
    const int reach = m_iWidth / 2 + 2;
    pDocument->CommitErase(QRect(m_last, point).normalized().adjusted(-reach, -reach, reach, reach));
    m_bPainted = true;
}
