#include "RoundTipTool.h"

#include "BrushWidths.h"
#include "ChildWindow.h"
#include "PaintToolSupport.h"

#include <QComboBox>
#include <QLabel>

RoundTipTool::RoundTipTool(ToolContext &context, const QString &widthLabel, const QString &operation, int iWidth,
                           QObject *pParent)
    : BaseTool(context, pParent)
    , m_iWidth(iWidth)
    , m_widthLabel(widthLabel)
    , m_operation(operation)
{
}

void RoundTipTool::Activate()
{
    AddWidthOptions();
    AddOptions();
    BeginActivation();
}

void RoundTipTool::FinishGesture()
{
    // A stroke cut short still lands as one step, in the window it began in.
    if (m_bStroke)
        MouseRelease(Qt::NoButton, m_last, Qt::NoModifier, m_pWindow);
}

void RoundTipTool::Deactivate()
{
    FinishGesture();
    EndActivation();
}

void RoundTipTool::AddWidthOptions()
{
    AddOption(new QLabel(m_widthLabel));
    m_pWidths = AddOption(BrushWidths::MakeCombo(m_iWidth));
    connect(m_pWidths, &QComboBox::currentTextChanged, this, &RoundTipTool::BrushWidthChanged);
}

QCursor RoundTipTool::GetCursor() const
{
    const ChildWindow *pWindow = CurrentWindow();
    return PaintToolSupport::RoundCursor(m_iWidth, pWindow ? pWindow->ZoomFactor() : 1.0);
}

void RoundTipTool::BrushWidthChanged(const QString &text)
{
    bool bOk = false;
    const int width = text.toInt(&bOk);
    if (!bOk || width < 1)
        return;
    m_iWidth = width;
    WidthChanged();
}

void RoundTipTool::MouseWheel(int iDelta, ChildWindow *)
{
    BrushWidths::Step(m_pWidths, iDelta);
}

void RoundTipTool::MousePress(Qt::MouseButtons buttons, QPoint point, Qt::KeyboardModifiers keys,
                              ChildWindow *pWindow)
{
    if (!(buttons & Qt::LeftButton) || m_bStroke)
        return;
    PixmapLayer *pLayer = PaintToolSupport::RasterForPainting(pWindow);
    if (!pLayer)
        return;
    m_pWindow = pWindow;
    m_last = point;
    m_bPainted = false;
    m_bStroke = StartStroke(pLayer, point, keys);
}

void RoundTipTool::MousePosUpdate(int x, int y, ChildWindow *pWindow)
{
    if (!m_bStroke || !pWindow || pWindow != m_pWindow)
        return;
    const QPoint point(x, y);
    StrokeTo(point);
    m_last = point;
}

void RoundTipTool::MouseRelease(Qt::MouseButtons buttons, QPoint, Qt::KeyboardModifiers, ChildWindow *)
{
    if (!m_bStroke || (buttons & Qt::LeftButton))
        return;
    m_bStroke = false;
    EndStroke();
    if (m_pWindow)
        PaintToolSupport::FinishStroke(m_pWindow->document(), m_operation, m_bPainted);
}
