#include "SmudgeTool.h"

#include "BrushWidths.h"
#include "ChildWindow.h"
#include "PaintToolSupport.h"
#include "PixelOps.h"
#include "PixmapLayer.h"

#include <QComboBox>
#include <QLabel>
#include <QSpinBox>

SmudgeTool::SmudgeTool(ToolContext &context, QObject *pParent)
    : BaseTool(context, pParent)
{
    m_brush.SetWidth(20);
    m_brush.SetStrength(50);
}

void SmudgeTool::Activate()
{
    AddOption(new QLabel(QStringLiteral("Brush Width")));
    m_pWidths = AddOption(BrushWidths::MakeCombo(m_brush.Width()));
    connect(m_pWidths, &QComboBox::currentTextChanged, this, &SmudgeTool::BrushWidthChanged);
    AddOption(new QLabel(QStringLiteral("Strength")));
    m_pStrength = AddOption(new QSpinBox);
    m_pStrength->setRange(1, 100);
    m_pStrength->setSuffix(QStringLiteral(" %"));
    m_pStrength->setValue(m_brush.Strength());
    connect(m_pStrength, &QSpinBox::valueChanged, this, &SmudgeTool::StrengthChanged);
    BeginActivation();
}

void SmudgeTool::FinishGesture()
{
    // A stroke cut short still lands as one step.
    if (m_bStroke)
        MouseRelease(Qt::NoButton, QPoint(), Qt::NoModifier, m_pWindow);
}

void SmudgeTool::Deactivate()
{
    FinishGesture();
    EndActivation();
}

QCursor SmudgeTool::GetCursor() const
{
    const ChildWindow *pWindow = CurrentWindow();
    return PaintToolSupport::RoundCursor(m_brush.Width(), pWindow ? pWindow->ZoomFactor() : 1.0);
}

void SmudgeTool::BrushWidthChanged(const QString &text)
{
    bool bOk = false;
    const int width = text.toInt(&bOk);
    if (!bOk || width < 1 || m_bStroke)
        return;
    m_brush.SetWidth(width);
    RefreshCursor();
}

void SmudgeTool::StrengthChanged(int iPercent)
{
    m_brush.SetStrength(iPercent);
}

void SmudgeTool::MouseWheel(int iDelta, ChildWindow *)
{
    BrushWidths::Step(m_pWidths, iDelta);
}

void SmudgeTool::MousePress(Qt::MouseButtons buttons, QPoint point, Qt::KeyboardModifiers, ChildWindow *pWindow)
{
    if (!(buttons & Qt::LeftButton) || m_bStroke)
        return;
    PixmapLayer *pLayer = PaintToolSupport::RasterForPainting(pWindow);
    if (!pLayer)
        return;
    Document *pDocument = pWindow->document();
    pDocument->BeginPaint(false, pLayer);
    m_work = pDocument->BaseImage();
    m_work.detach();
    m_brush.Start(m_work, point);
    m_pWindow = pWindow;
    m_bStroke = true;
    m_bPainted = false;
}

void SmudgeTool::MousePosUpdate(int x, int y, ChildWindow *pWindow)
{
    if (!m_bStroke || pWindow != m_pWindow || !pWindow)
        return;
    const QRect changed = m_brush.MoveTo(m_work, QPoint(x, y));
    if (changed.isEmpty())
        return;
    Document *pDocument = pWindow->document();
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

void SmudgeTool::MouseRelease(Qt::MouseButtons buttons, QPoint, Qt::KeyboardModifiers, ChildWindow *)
{
    if (!m_bStroke || (buttons & Qt::LeftButton))
        return;
    m_bStroke = false;
    m_work = QImage();
    if (!m_pWindow)
        return;
    // A click without a drag painted nothing: nothing to record.
    PaintToolSupport::FinishStroke(m_pWindow->document(), QStringLiteral("Smudge"), m_bPainted);
}
