#include "ColorPickTool.h"

#include "ChildWindow.h"
#include "GraphicsScene.h"
#include "PixmapLayer.h"
#include "ToolContext.h"
#include "ToolSwatches.h"

#include <QGraphicsPixmapItem>
#include <QPainter>
#include <QPainterPath>
#include <QWidget>

ColorPickTool::ColorPickTool(ToolContext &context, QObject *pParent)
    : BaseTool(context, pParent)
    , m_pLoupe(std::make_unique<QGraphicsPixmapItem>())
{
    m_pLoupe->setZValue(5000);
    // The same size on screen at any zoom.
    m_pLoupe->setFlag(QGraphicsItem::ItemIgnoresTransformations);
}

ColorPickTool::~ColorPickTool()
{
    HideLoupe();
}

void ColorPickTool::Activate()
{
    BeginActivation();
}

void ColorPickTool::Deactivate()
{
    m_bPicking = false;
    HideLoupe();
    EndActivation();
}

QCursor ColorPickTool::GetCursor() const
{
    return QCursor(Qt::CrossCursor);
}

bool ColorPickTool::ColorAt(const QPoint &point, QColor *pColor) const
{
    if (!QRect(QPoint(0, 0), m_canvas).contains(point))
        return false;
    const QPoint inImage = point - m_origin;
    // A moved layer that does not reach this canvas point: nothing there.
    *pColor = m_image.rect().contains(inImage) ? QColor::fromRgba(m_image.pixel(inImage)) : QColor(0, 0, 0, 0);
    return true;
}

void ColorPickTool::Pick(const QPoint &point)
{
    QColor color;
    if (!ColorAt(point, &color))
        return;
    m_picked = color;
    if (ToolSwatches *pSwatches = context().Swatches())
        pSwatches->SetPaletteColor(color);
}

void ColorPickTool::GiveToPaintingTools(const QColor &color)
{
    // The palette reaches only the tool that is active (this one): the
    // painting tools' own colours take the pick as well, so the next stroke
    // or fill uses it.
    ToolSwatches *pSwatches = context().Swatches();
    if (!pSwatches)
        return;
    QWidget holder;
    for (const QString &name : {QStringLiteral("BrushColorSwatch"), QStringLiteral("FillColorSwatch")})
        pSwatches->SetSwatchColor(pSwatches->CreateSwatch(name, &holder), color);
}

void ColorPickTool::MousePress(Qt::MouseButtons buttons, QPoint point, Qt::KeyboardModifiers, ChildWindow *pWindow)
{
    if (!(buttons & Qt::LeftButton) || !pWindow)
        return;
    PixmapLayer *pLayer = pWindow->document()->CurrentRasterLayer();
    if (!pLayer)
        return;
    m_bPicking = true;
    // Read as it is now: the loupe and the colours show the layer as pressed.
    m_image = pLayer->image();
    if (m_image.format() != QImage::Format_ARGB32)
        m_image = m_image.convertToFormat(QImage::Format_ARGB32);
    m_origin = QPoint(int(pLayer->pos().x()), int(pLayer->pos().y()));
    m_canvas = pWindow->canvasSize();
    Pick(point);
    ShowLoupe(point, pWindow);
}

void ColorPickTool::MousePosUpdate(int x, int y, ChildWindow *pWindow)
{
    if (!m_bPicking || !pWindow)
        return;
    Pick(QPoint(x, y));
    ShowLoupe(QPoint(x, y), pWindow);
}

void ColorPickTool::MouseRelease(Qt::MouseButtons buttons, QPoint, Qt::KeyboardModifiers, ChildWindow *)
{
    if (!m_bPicking || (buttons & Qt::LeftButton))
        return;
    m_bPicking = false;
    HideLoupe();
    m_image = QImage();
    if (m_picked.isValid())
        GiveToPaintingTools(m_picked);
    m_picked = QColor();
}

void ColorPickTool::ShowLoupe(const QPoint &point, ChildWindow *pWindow)
{
    // The pixels around the point, those off the canvas transparent.
    const int half = kLoupePixels / 2;
    QImage pixels(kLoupePixels, kLoupePixels, QImage::Format_ARGB32);
    for (int dy = 0; dy < kLoupePixels; ++dy)
        for (int dx = 0; dx < kLoupePixels; ++dx) {
            QColor color(0, 0, 0, 0);
            ColorAt(point + QPoint(dx - half, dy - half), &color);
            pixels.setPixel(dx, dy, color.rgba());
        }
    QPixmap loupe(kLoupeSide, kLoupeSide);
    loupe.fill(Qt::transparent);
    {
        QPainter painter(&loupe);
        QPainterPath round;
        round.addEllipse(QRectF(0, 0, kLoupeSide, kLoupeSide));
        painter.setClipPath(round);
        painter.drawImage(QRect(0, 0, kLoupeSide, kLoupeSide), pixels);
        painter.setRenderHint(QPainter::Antialiasing);
        const double cell = double(kLoupeSide) / kLoupePixels;
        const QRectF centre(half * cell, half * cell, cell, cell);
        const QPointF middle(kLoupeSide / 2.0, kLoupeSide / 2.0);
        painter.setBrush(Qt::NoBrush);
        for (const QPen &pen : {QPen(Qt::white, 3), QPen(Qt::black, 1)}) {
            painter.setPen(pen);
            painter.drawRect(centre);
            painter.drawEllipse(middle, 10, 10);
            painter.drawEllipse(QRectF(1, 1, kLoupeSide - 2, kLoupeSide - 2));
        }
    }
    m_pLoupe->setPixmap(loupe);
    const double zoom = qMax(0.01, pWindow->ZoomFactor());
    m_pLoupe->setPos(point.x() + m_cursorSize.width() / zoom, point.y() + m_cursorSize.height() / zoom);
    if (m_pLoupe->scene() != pWindow->scene()) {
        HideLoupe();
        pWindow->scene()->addItem(m_pLoupe.get());
    }
    m_pLoupe->update();
}

void ColorPickTool::HideLoupe()
{
    if (m_pLoupe->scene())
        m_pLoupe->scene()->removeItem(m_pLoupe.get());
}
