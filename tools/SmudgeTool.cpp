#include "SmudgeTool.h"

#include "ChildWindow.h"
#include "PixelOps.h"
#include "PixmapLayer.h"

#include <QLabel>
#include <QSpinBox>

SmudgeTool::SmudgeTool(ToolContext &context, QObject *pParent)
    : RoundTipTool(context, QStringLiteral("Brush Width"), QStringLiteral("Smudge"), 20, pParent)
{
    m_brush.SetWidth(m_iWidth);
    m_brush.SetStrength(50);
}

void SmudgeTool::AddOptions()
{
    AddOption(new QLabel(QStringLiteral("Strength")));
    m_pStrength = AddOption(new QSpinBox);
    m_pStrength->setRange(1, 100);
    m_pStrength->setSuffix(QStringLiteral(" %"));
    m_pStrength->setValue(m_brush.Strength());
    connect(m_pStrength, &QSpinBox::valueChanged, this, &SmudgeTool::StrengthChanged);
}

void SmudgeTool::StrengthChanged(int iPercent)
{
    m_brush.SetStrength(iPercent);
}

bool SmudgeTool::StartStroke(PixmapLayer *pLayer, QPoint point, Qt::KeyboardModifiers)
{
    Document *pDocument = m_pWindow->document();
    pDocument->BeginPaint(false, pLayer);
    m_work = pDocument->BaseImage();
    m_work.detach();
    // A width chosen during the last stroke takes effect here.
    if (m_brush.Width() != m_iWidth)
        m_brush.SetWidth(m_iWidth);
    m_brush.Start(m_work, point);
    return true;
}

void SmudgeTool::StrokeTo(QPoint point)
{
    const QRect changed = m_brush.MoveTo(m_work, point);
    if (changed.isEmpty())
        return;
    Document *pDocument = m_pWindow->document();
    pDocument->CommitResult(m_work, changed);
    m_bPainted = true;
    // Outside the selection the layer kept its pixels: the tip must meet
    // those there, not what it smudged.
    PixmapLayer *pLayer = pDocument->PaintLayer();
    const QPoint origin(int(pLayer->pos().x()), int(pLayer->pos().y()));
    QImage &layer = pLayer->image();
    if (!origin.isNull() || !pDocument->Selection().isEmpty() || !pDocument->SelectionMask().isNull())
        PixelOps::Copy(layer, m_work, changed.translated(-origin).intersected(layer.rect()), -origin);
}
