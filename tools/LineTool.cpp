#include "LineTool.h"

#include "ChildWindow.h"
#include "PaintToolSupport.h"
#include "PenOptions.h"
#include "ToolContext.h"
#include "ToolSwatches.h"

#include <QComboBox>
#include <QLabel>
#include <QPainter>

LineTool::LineTool(ToolContext &context, QObject *pParent)
    : RubberBandTool(context, pParent)
    , m_pen(Qt::black, 3, Qt::SolidLine, Qt::SquareCap, Qt::BevelJoin)
{
}

QCursor LineTool::GetCursor() const
{
    return QCursor(Qt::CrossCursor);
}

void LineTool::Activate()
{
    AddOption(new QLabel(QStringLiteral("Line Style")));
    m_pStyleBox = AddOption(PenOptions::MakeStyleBox());
    AddOption(new QLabel(QStringLiteral("Cap Style")));
    m_pCapBox = AddOption(PenOptions::MakeCapBox());
    AddOption(new QLabel(QStringLiteral("Line Width")));
    m_pWidthBox = AddOption(PenOptions::MakeWidthBox());
    AddOption(new QLabel(QStringLiteral("Color")));
    ToolSwatches *pSwatches = context().Swatches();
    QWidget *pSwatch = nullptr;
    AddOption(PenOptions::MakeSwatchLabel(pSwatches, QStringLiteral("line color"), QStringLiteral("LineColorSwatch"),
                                          QString(), &pSwatch));
    m_pSwatch = pSwatch;
    // Connected once the boxes show their first entries: activation leaves
    // the pen as it was.
    connect(m_pStyleBox, &QComboBox::currentIndexChanged, this, &LineTool::PenStyleChanged);
    connect(m_pCapBox, &QComboBox::currentIndexChanged, this, &LineTool::PenCapChanged);
    connect(m_pWidthBox, &QComboBox::currentTextChanged, this, &LineTool::PenWidthChanged);
    if (pSwatches)
        m_colorConnection = pSwatches->OnPaletteColor(this, [this](const QColor &color) { ColorPickerChanged(color); });
    BeginActivation();
}

void LineTool::FinishGesture()
{
    if (m_bDrawing)
        MouseRelease(Qt::NoButton, m_line.p2().toPoint(), Qt::NoModifier, CurrentWindow());
}

void LineTool::Deactivate()
{
    FinishGesture();
    disconnect(m_colorConnection);
    EndActivation();
}

void LineTool::PenStyleChanged(int iIndex)
{
    if (m_pStyleBox && iIndex >= 0)
        m_pen.setStyle(Qt::PenStyle(m_pStyleBox->itemData(iIndex).toInt()));
}

void LineTool::PenCapChanged(int iIndex)
{
    if (m_pCapBox && iIndex >= 0)
        m_pen.setCapStyle(Qt::PenCapStyle(m_pCapBox->itemData(iIndex).toInt()));
}

void LineTool::PenWidthChanged(const QString &width)
{
    bool bOk = false;
    const int value = width.toInt(&bOk);
    if (bOk && value > 0)
        m_pen.setWidth(value);
}

void LineTool::ColorPickerChanged(const QColor &color)
{
    if (ToolSwatches *pSwatches = context().Swatches(); pSwatches && m_pSwatch)
        pSwatches->SetSwatchColor(m_pSwatch, color);
}

void LineTool::MousePress(Qt::MouseButtons buttons, QPoint point, Qt::KeyboardModifiers, ChildWindow *pWindow)
{
    if (m_bDrawing)
        return;
    // A text layer is refused whatever the button.
    PixmapLayer *pLayer = PaintToolSupport::RasterForPainting(pWindow);
    if (!pLayer || !(buttons & Qt::LeftButton))
        return;
    m_bDrawing = true;
    m_line = QLineF(point, point);
    if (ToolSwatches *pSwatches = context().Swatches(); pSwatches && m_pSwatch)
        m_pen.setColor(pSwatches->SwatchColor(m_pSwatch));
    BeginShape(pWindow, pLayer);
}

void LineTool::DrawLine()
{
    // A line whose ends meet is no line: nothing is shown.
    if (m_line.p1() == m_line.p2()) {
        Clear();
        return;
    }
    const double reach = m_pen.widthF() * 0.75 + 2;
    const QRect bounds = QRectF(m_line.p1(), m_line.p2()).normalized().adjusted(-reach, -reach, reach, reach)
                             .toAlignedRect();
    Redraw(QRegion(bounds), [this](QPainter &painter) {
        painter.setPen(m_pen);
        painter.drawLine(m_line);
    });
}

void LineTool::MousePosUpdate(int x, int y, ChildWindow *)
{
    if (!m_bDrawing || !IsShaping())
        return;
    m_line.setP2(QPointF(x, y));
    DrawLine();
}

void LineTool::MouseRelease(Qt::MouseButtons buttons, QPoint point, Qt::KeyboardModifiers, ChildWindow *)
{
    if (!m_bDrawing || (buttons & Qt::LeftButton))
        return;
    m_bDrawing = false;
    if (!IsShaping())
        return;
    m_line.setP2(point);
    DrawLine();
    Finish(QStringLiteral("Line Tool"));
}

void LineTool::ShapeLayerSwitched()
{
    if (m_bDrawing) {
        m_bDrawing = false;
        Finish(QStringLiteral("Line Tool"));
    }
}
