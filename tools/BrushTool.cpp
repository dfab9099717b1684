#include "BrushTool.h"

#include "BrushSource.h"
#include "CQBrush.h"
#include "BrushStroke.h"
#include "BrushWidths.h"
#include "ChildWindow.h"
#include "LayerSnapshotCmd.h"
#include "PaintToolSupport.h"
#include "PixmapLayer.h"
#include "ToolContext.h"
#include "ToolSwatches.h"

#include <QComboBox>
#include <QLabel>
#include <QMessageBox>
#include <QPainter>
#include <QPushButton>
#include <QUndoStack>

BrushTool::BrushTool(ToolContext &context, QObject *pParent)
    : BaseTool(context, pParent)
{
}

BrushTool::~BrushTool() = default;

BrushStroke *BrushTool::Stroke()
{
    if (!m_pStroke)
        m_pStroke = std::make_unique<BrushStroke>(context().Programs());
    return m_pStroke->isValid() ? m_pStroke.get() : nullptr;
}

QColor BrushTool::SwatchColor() const
{
    ToolSwatches *pSwatches = context().Swatches();
    return pSwatches && m_pSwatch ? pSwatches->SwatchColor(m_pSwatch) : (m_pStroke ? m_pStroke->Color() : Qt::black);
}

void BrushTool::Activate()
{
    AddOption(new QLabel(QStringLiteral("Brush")));
    m_pButton = AddOption(new QPushButton);
    connect(m_pButton, &QPushButton::clicked, this, &BrushTool::BrushButtonClicked);
    AddOption(new QLabel(QStringLiteral("Brush Width")));
    m_pWidths = AddOption(BrushWidths::MakeCombo(m_iWidth));
    connect(m_pWidths, &QComboBox::currentTextChanged, this, &BrushTool::BrushWidthChanged);
    AddOption(new QLabel(QStringLiteral("Brush Color")));
    if (ToolSwatches *pSwatches = context().Swatches()) {
        auto *pHolder = AddOption(new QLabel(QStringLiteral("brush color")));
        m_pSwatch = pSwatches->CreateSwatch(QStringLiteral("BrushColorSwatch"), pHolder);
        m_pSwatch->setFixedSize(pHolder->sizeHint().expandedTo(QSize(24, 16)));
        pHolder->setFixedSize(m_pSwatch->size());
        m_colorConnection = pSwatches->OnPaletteColor(this, [this](const QColor &color) { ColorPickerChanged(color); });
    }
    if (BrushSource *pBrushes = context().Brushes())
        m_brushConnection = pBrushes->OnBrushChanged(this, [this] { BrushChanged(); });
    BrushChanged();
    BeginActivation();
}

void BrushTool::FinishGesture()
{
    // A stroke cut short still lands as one step.
    if (m_bStroke)
        MouseRelease(Qt::NoButton, QPoint(), Qt::NoModifier, CurrentWindow());
}

void BrushTool::Deactivate()
{
    FinishGesture();
    disconnect(m_brushConnection);
    disconnect(m_colorConnection);
    EndActivation();
}

void BrushTool::RefreshLook()
{
    if (m_pButton && m_pStroke && !m_pStroke->ColoredTip().isNull())
        m_pButton->setIcon(QIcon(QPixmap::fromImage(m_pStroke->ColoredTip())));
    RefreshCursor();
}

QCursor BrushTool::GetCursor() const
{
    const ChildWindow *pWindow = CurrentWindow();
    if (!m_pStroke || !m_pStroke->isValid())
        return QCursor(Qt::CrossCursor);
    return PaintToolSupport::TipOutlineCursor(m_pStroke->ColoredTip(), pWindow ? pWindow->ZoomFactor() : 1.0);
}

void BrushTool::BrushChanged()
{
    BrushStroke *pStroke = Stroke();
    if (!pStroke)
        return;
    if (BrushSource *pBrushes = context().Brushes())
        pStroke->SetBrush(pBrushes->CurrentBrush());
    pStroke->SetSize(m_iWidth);
    pStroke->SetColor(SwatchColor());
    RefreshLook();
}

void BrushTool::BrushWidthChanged(const QString &text)
{
    bool bOk = false;
    const int width = text.toInt(&bOk);
    if (!bOk || width < 1)
        return;
    m_iWidth = width;
    if (BrushStroke *pStroke = Stroke())
        pStroke->SetSize(width);
    RefreshLook();
}

void BrushTool::ColorPickerChanged(const QColor &color)
{
    if (ToolSwatches *pSwatches = context().Swatches(); pSwatches && m_pSwatch)
        pSwatches->SetSwatchColor(m_pSwatch, color);
    if (BrushStroke *pStroke = Stroke())
        pStroke->SetColor(SwatchColor());
    RefreshLook();
}

void BrushTool::BrushButtonClicked()
{
    if (BrushSource *pBrushes = context().Brushes())
        pBrushes->ToggleShown();
}

void BrushTool::MouseWheel(int iDelta, ChildWindow *)
{
    BrushWidths::Step(m_pWidths, iDelta);
}

void BrushTool::MousePress(Qt::MouseButtons buttons, QPoint point, Qt::KeyboardModifiers, ChildWindow *pWindow)
{
    if (!(buttons & Qt::LeftButton) || m_bStroke)
        return;
    PixmapLayer *pLayer = PaintToolSupport::RasterForPainting(pWindow);
    if (!pLayer)
        return;
    BrushStroke *pStroke = Stroke();
    if (!pStroke) {
        QMessageBox::warning(pWindow, QStringLiteral("Error"), m_pStroke->errorText());
        return;
    }
    pStroke->SetColor(SwatchColor());
    Document *pDocument = pWindow->document();
    pDocument->BeginPaint(true, pLayer);
    QPainter *pPainter = pDocument->BeginStroke();
    pPainter->setRenderHint(QPainter::Antialiasing);
    const QRect dab = pStroke->Press(*pPainter, point);
    pDocument->CommitStroke(dab);
    m_bStroke = true;
}

void BrushTool::MousePosUpdate(int x, int y, ChildWindow *pWindow)
{
    if (!m_bStroke || !pWindow || !m_pStroke)
        return;
    Document *pDocument = pWindow->document();
    QPainter *pPainter = pDocument->BeginStroke();
    pPainter->setRenderHint(QPainter::Antialiasing);
    // Only what the new dabs covered reaches the layer.
    const QRect dirty = m_pStroke->MoveTo(*pPainter, QPoint(x, y));
    if (!dirty.isEmpty())
        pDocument->CommitStroke(dirty);
}

void BrushTool::MouseRelease(Qt::MouseButtons buttons, QPoint, Qt::KeyboardModifiers, ChildWindow *pWindow)
{
    if (!m_bStroke || (buttons & Qt::LeftButton) || !pWindow)
        return;
    m_bStroke = false;
    PaintToolSupport::EndStroke(pWindow, QStringLiteral("Paintbrush - "));
    // A stroke with colour jitter leaves the last dab's colour on the tip.
    RefreshLook();
}
