#include "BrushTool.h"

#include "BrushSource.h"
#include "CQBrush.h"
#include "BrushStroke.h"
#include "ChildWindow.h"
#include "PaintToolSupport.h"
#include "ToolContext.h"
#include "ToolSwatches.h"

#include <QLabel>
#include <QMessageBox>
#include <QPainter>
#include <QPushButton>

BrushTool::BrushTool(ToolContext &context, QObject *pParent)
    : RoundTipTool(context, QStringLiteral("Brush Width"), QStringLiteral("Paintbrush"), 10, pParent)
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
    AddWidthOptions();
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

void BrushTool::Deactivate()
{
    RoundTipTool::Deactivate();
    disconnect(m_brushConnection);
    disconnect(m_colorConnection);
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

void BrushTool::WidthChanged()
{
    if (BrushStroke *pStroke = Stroke())
        pStroke->SetSize(m_iWidth);
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

bool BrushTool::StartStroke(PixmapLayer *pLayer, QPoint point, Qt::KeyboardModifiers)
{
    BrushStroke *pStroke = Stroke();
    if (!pStroke || !pStroke->Prepare()) {
        QMessageBox::warning(m_pWindow, QStringLiteral("Error"), m_pStroke->errorText());
        return false;
    }
    pStroke->SetColor(SwatchColor());
    Document *pDocument = m_pWindow->document();
    pDocument->BeginPaint(true, pLayer);
    QPainter *pPainter = pDocument->BeginStroke();
    pPainter->setRenderHint(QPainter::Antialiasing);
    const QRect dab = pStroke->Press(*pPainter, point);
    pDocument->CommitStroke(dab);
    m_bPainted = true;
    return true;
}

void BrushTool::StrokeTo(QPoint point)
{
    Document *pDocument = m_pWindow->document();
    QPainter *pPainter = pDocument->BeginStroke();
    pPainter->setRenderHint(QPainter::Antialiasing);
    // Only what the new dabs covered reaches the layer.
    const QRect dirty = m_pStroke->MoveTo(*pPainter, point);
    if (!dirty.isEmpty())
        pDocument->CommitStroke(dirty);
}

void BrushTool::EndStroke()
{
    // A stroke with colour jitter leaves the last dab's colour on the tip.
    RefreshLook();
}
