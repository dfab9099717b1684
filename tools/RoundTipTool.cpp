#include "RoundTipTool.h"

#include "BrushWidths.h"
#include "ChildWindow.h"
#include "PaintToolSupport.h"

#include <QComboBox>
#include <QLabel>

void RoundTipTool::AddWidthOptions(const QString &label)
{
    AddOption(new QLabel(label));
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
    RefreshCursor();
}

void RoundTipTool::MouseWheel(int iDelta, ChildWindow *)
{
    BrushWidths::Step(m_pWidths, iDelta);
}
