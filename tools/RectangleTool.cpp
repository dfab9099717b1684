#include "RectangleTool.h"

#include "ChildWindow.h"
#include "PaintToolSupport.h"
#include "PenOptions.h"
#include "ToolContext.h"
#include "ToolSwatches.h"

#include <QComboBox>
#include <QLabel>
#include <QPainter>

namespace {
const QString kOutlineOnly = QStringLiteral("Outline Only");
const QString kFill = QStringLiteral("Fill");
const QString kFillWithOutline = QStringLiteral("Fill With Outline");
constexpr double kCornerRadius = 15;
} // namespace

RectangleTool::RectangleTool(ToolContext &context, int iShape, QObject *pParent)
    : RubberBandTool(context, pParent)
    , m_iShape(iShape)
{
}

void RectangleTool::Activate()
{
    AddOption(new QLabel(QStringLiteral("Fill")));
    m_pFillBox = AddOption(new QComboBox);
    m_pFillBox->addItems({kOutlineOnly, kFill, kFillWithOutline});
    AddOption(new QLabel(QStringLiteral("Border Style")));
    m_pStyleBox = AddOption(PenOptions::MakeStyleBox());
    AddOption(new QLabel(QStringLiteral("Border Width")));
    m_pWidthBox = AddOption(PenOptions::MakeWidthBox());
    AddOption(new QLabel(QStringLiteral("Fill Color")));
    ToolSwatches *pSwatches = context().Swatches();
    QWidget *pSwatch = nullptr;
    AddOption(PenOptions::MakeSwatchLabel(pSwatches, QStringLiteral("fill color"), QStringLiteral("RectFillColorSwatch"),
                                          QStringLiteral("fill"), &pSwatch));
    m_pFillSwatch = pSwatch;
    AddOption(PenOptions::MakeSwatchLabel(pSwatches, QStringLiteral("line color"), QStringLiteral("RectLineColorSwatch"),
                                          QStringLiteral("line"), &pSwatch));
    m_pLineSwatch = pSwatch;
    connect(m_pFillBox, &QComboBox::currentTextChanged, this, &RectangleTool::FillOutlineChanged);
    connect(m_pStyleBox, &QComboBox::currentIndexChanged, this, &RectangleTool::PenStyleChanged);
    connect(m_pWidthBox, &QComboBox::currentTextChanged, this, &RectangleTool::PenWidthChanged);
    if (pSwatches) {
        for (QWidget *pOne : {m_pFillSwatch.data(), m_pLineSwatch.data()})
            m_connections << pSwatches->OnSwatchClicked(pOne, this, [this, pOne] { SwatchSelected(pOne); });
        m_connections << pSwatches->OnPaletteColor(this, [this](const QColor &color) { ColorPickerChanged(color); });
    }
    BeginActivation();
    SwatchSelected(m_pFillSwatch);
    // Every activation starts with the outline only, as the box shows.
    FillOutlineChanged(kOutlineOnly);
}

void RectangleTool::FinishGesture()
{
    if (m_bDrawing)
        MouseRelease(Qt::NoButton, m_anchor, Qt::NoModifier, CurrentWindow());
}

void RectangleTool::Deactivate()
{
    FinishGesture();
    for (const QMetaObject::Connection &connection : std::as_const(m_connections))
        disconnect(connection);
    m_connections.clear();
    EndActivation();
}

void RectangleTool::FillOutlineChanged(const QString &option)
{
    if (option == kOutlineOnly) {
        m_bOutline = true;
        m_bFill = false;
    } else if (option == kFill) {
        m_bOutline = false;
        m_bFill = true;
    } else if (option == kFillWithOutline) {
        m_bOutline = m_bFill = true;
    } else {
        return;
    }
    TakeSwatchColors();
}

void RectangleTool::TakeSwatchColors()
{
    ToolSwatches *pSwatches = context().Swatches();
    if (!pSwatches)
        return;
    if (m_bOutline && m_pLineSwatch)
        m_pen.setColor(pSwatches->SwatchColor(m_pLineSwatch));
    if (m_bFill && m_pFillSwatch)
        m_brush.setColor(pSwatches->SwatchColor(m_pFillSwatch));
}

void RectangleTool::PenStyleChanged(int iIndex)
{
    if (m_pStyleBox && iIndex >= 0)
        m_pen.setStyle(Qt::PenStyle(m_pStyleBox->itemData(iIndex).toInt()));
}

void RectangleTool::PenWidthChanged(const QString &width)
{
    bool bOk = false;
    const int value = width.toInt(&bOk);
    if (bOk && value > 0)
        m_pen.setWidth(value);
}

void RectangleTool::SwatchSelected(QWidget *pSwatch)
{
    PenOptions::SelectSwatch(context().Swatches(), m_pCurrentSwatch, pSwatch);
}

void RectangleTool::ColorPickerChanged(const QColor &color)
{
    if (ToolSwatches *pSwatches = context().Swatches(); pSwatches && m_pCurrentSwatch)
        pSwatches->SetSwatchColor(m_pCurrentSwatch, color);
}

QString RectangleTool::OperationName() const
{
    switch (m_iShape) {
    case Rounded: return QStringLiteral("Rounded Rectangle");
    case Ellipse: return QStringLiteral("Ellipse");
    default: return QStringLiteral("Rectangle");
    }
}

void RectangleTool::DrawShape(QPainter &painter, const QRect &rect) const
{
    painter.setPen(m_bOutline ? m_pen : QPen(Qt::NoPen));
    painter.setBrush(m_bFill ? m_brush : QBrush(Qt::NoBrush));
    if (m_iShape == Rounded)
        painter.drawRoundedRect(rect, kCornerRadius, kCornerRadius, Qt::AbsoluteSize);
    else if (m_iShape == Ellipse)
        painter.drawEllipse(rect);
    else
        painter.drawRect(rect);
}

void RectangleTool::MousePress(Qt::MouseButtons buttons, QPoint point, Qt::KeyboardModifiers, ChildWindow *pWindow)
{
    if (!(buttons & Qt::LeftButton) || m_bDrawing)
        return;
    PixmapLayer *pLayer = PaintToolSupport::RasterForPainting(pWindow);
    if (!pLayer)
        return;
    m_anchor = point;
    m_bDrawing = true;
    m_bMoved = false;
    m_rect = QRect(point, point);
    TakeSwatchColors();
    BeginShape(pWindow, pLayer);
}

void RectangleTool::Draw()
{
    const int margin = (m_bOutline ? m_pen.width() / 2 + 1 : 0) + 2;
    const QRect outer = m_rect.adjusted(-margin, -margin, margin, margin);
    QRegion reach(outer);
    // An outline of straight sides reaches only bands along them: the inside
    // stays as it was and need not go back to the layer.
    if (m_iShape != Ellipse && m_bOutline && !m_bFill) {
        const int inset = margin + (m_iShape == Rounded ? int(kCornerRadius) : 0);
        const QRect inner = m_rect.adjusted(inset, inset, -inset, -inset);
        if (inner.isValid())
            reach -= QRegion(inner);
    }
    Redraw(reach, [this](QPainter &painter) { DrawShape(painter, m_rect); });
}

void RectangleTool::MousePosUpdate(int x, int y, ChildWindow *)
{
    if (!m_bDrawing || !IsShaping())
        return;
    const QPoint to(x, y);
    if (to == m_anchor && !m_bMoved)
        return;
    m_bMoved = true;
    // Dragging in any direction spans the same rectangle.
    m_rect = QRect(QPoint(qMin(m_anchor.x(), x), qMin(m_anchor.y(), y)),
                   QPoint(qMax(m_anchor.x(), x), qMax(m_anchor.y(), y)));
    Draw();
}

void RectangleTool::MouseRelease(Qt::MouseButtons buttons, QPoint, Qt::KeyboardModifiers, ChildWindow *)
{
    if (!m_bDrawing || (buttons & Qt::LeftButton))
        return;
    m_bDrawing = false;
    // A click without movement draws nothing and records nothing.
    if (!m_bMoved) {
        Cancel();
        return;
    }
    Draw();
    Finish(OperationName());
}

void RectangleTool::ShapeLayerSwitched()
{
    if (m_bDrawing) {
        m_bDrawing = false;
        Finish(OperationName());
    }
}
