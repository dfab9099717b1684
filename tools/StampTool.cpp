#include "StampTool.h"

#include "BrushWidths.h"
#include "ChildWindow.h"
#include "GraphicsScene.h"
#include "PaintToolSupport.h"
#include "PixmapLayer.h"

#include <QComboBox>
#include <QGraphicsPixmapItem>
#include <QLabel>
#include <QMessageBox>
#include <QPainter>

StampTool::StampTool(ToolContext &context, QObject *pParent)
    : BaseTool(context, pParent)
{
}

StampTool::~StampTool()
{
    if (m_pMarker && m_pMarker->scene())
        m_pMarker->scene()->removeItem(m_pMarker.get());
}

void StampTool::Activate()
{
    AddOption(new QLabel(QStringLiteral("Stamp Width")));
    m_pWidths = AddOption(BrushWidths::MakeCombo(m_iWidth));
    connect(m_pWidths, &QComboBox::currentTextChanged, this, &StampTool::BrushWidthChanged);
    m_pMarker = std::make_unique<QGraphicsPixmapItem>();
    m_pMarker->setZValue(5000);
    DrawMarker();
    BeginActivation();
}

void StampTool::FinishGesture()
{
    // A stroke cut short still lands as one step.
    if (m_bStroke)
        MouseRelease(Qt::NoButton, m_last, Qt::NoModifier, m_pWindow);
}

void StampTool::Deactivate()
{
    FinishGesture();
    // The source goes with the marker.
    if (m_pMarker && m_pMarker->scene())
        m_pMarker->scene()->removeItem(m_pMarker.get());
    m_pMarker.reset();
    EndActivation();
}

QCursor StampTool::GetCursor() const
{
    const ChildWindow *pWindow = CurrentWindow();
    return PaintToolSupport::RoundCursor(m_iWidth, pWindow ? pWindow->ZoomFactor() : 1.0);
}

bool StampTool::HasSource() const
{
    return m_pMarker && m_pMarker->scene();
}

void StampTool::DrawMarker()
{
    if (!m_pMarker)
        return;
    // A ring the size of the pen with a cross in the middle.
    const int side = qMax(m_iWidth, 9) + 2;
    QPixmap picture(side, side);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    const QPointF middle(side / 2.0, side / 2.0);
    for (const QPen &pen : {QPen(Qt::white, 3), QPen(Qt::black, 1)}) {
        painter.setPen(pen);
        painter.drawEllipse(QRectF(1.5, 1.5, side - 3, side - 3));
        painter.drawLine(middle - QPointF(3, 0), middle + QPointF(3, 0));
        painter.drawLine(middle - QPointF(0, 3), middle + QPointF(0, 3));
    }
    painter.end();
    m_pMarker->setPixmap(picture);
    m_pMarker->setOffset(-side / 2.0, -side / 2.0);
    PlaceMarker();
}

void StampTool::PlaceMarker()
{
    if (m_pMarker)
        m_pMarker->setPos(m_source);
}

void StampTool::BrushWidthChanged(const QString &text)
{
    bool bOk = false;
    const int width = text.toInt(&bOk);
    if (!bOk || width < 1)
        return;
    m_iWidth = width;
    DrawMarker();
    RefreshCursor();
}

void StampTool::MouseWheel(int iDelta, ChildWindow *)
{
    BrushWidths::Step(m_pWidths, iDelta);
}

void StampTool::MousePress(Qt::MouseButtons buttons, QPoint point, Qt::KeyboardModifiers keys, ChildWindow *pWindow)
{
    if (!(buttons & Qt::LeftButton) || m_bStroke || !m_pMarker)
        return;
    PixmapLayer *pLayer = PaintToolSupport::RasterForPainting(pWindow);
    if (!pLayer)
        return;
    if (keys & Qt::AltModifier) {
        if (m_pMarker->scene() != pWindow->scene()) {
            if (m_pMarker->scene())
                m_pMarker->scene()->removeItem(m_pMarker.get());
            pWindow->scene()->addItem(m_pMarker.get());
        }
        m_source = point;
        PlaceMarker();
        return;
    }
    if (m_pMarker->scene() != pWindow->scene()) {
        QMessageBox::warning(pWindow, QStringLiteral("Woah, bucko."),
                             QStringLiteral("Hold down \"alt\" and set an anchor first."));
        return;
    }
    Document *pDocument = pWindow->document();
    pDocument->BeginPaint(true, pLayer);
    // The pixels cloned are those of the layer at the press, in canvas
    // coordinates like everything the stroke draws.
    m_copy = pDocument->BaseImage().convertToFormat(QImage::Format_ARGB32_Premultiplied);
    if (m_mask.size() != m_copy.size())
        m_mask = QImage(m_copy.size(), QImage::Format_ARGB32_Premultiplied);
    m_mask.fill(Qt::transparent);
    m_last = m_start = point;
    m_pWindow = pWindow;
    m_bStroke = true;
    m_bPainted = false;
}

void StampTool::MousePosUpdate(int x, int y, ChildWindow *pWindow)
{
    if (!m_bStroke || pWindow != m_pWindow || !pWindow)
        return;
    const QPoint to(x, y);
    const QPoint d = to - m_last;
    const int h = m_iWidth / 2 + 2; // half the pen and its antialiased edge
    const QRect destination = QRect(m_last, to).normalized().adjusted(-h, -h, h, h);
    const QRect source = QRect(m_source, m_source + d).normalized().adjusted(-h, -h, h, h);
    {
        // The pen's shape along the source's path, holding the source pixels.
        QPainter mask(&m_mask);
        mask.setClipRect(source);
        mask.setCompositionMode(QPainter::CompositionMode_Clear);
        mask.fillRect(source, Qt::transparent);
        mask.setCompositionMode(QPainter::CompositionMode_SourceOver);
        mask.setRenderHint(QPainter::Antialiasing);
        mask.setPen(QPen(Qt::black, m_iWidth, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        mask.drawLine(m_source, m_source + d);
        mask.setCompositionMode(QPainter::CompositionMode_SourceIn);
        mask.drawImage(source.topLeft(), m_copy, source);
    }
    Document *pDocument = pWindow->document();
    QPainter *pPainter = pDocument->BeginStroke();
    pPainter->drawImage(destination, m_mask, source);
    pDocument->CommitStroke(destination);
    m_bPainted = true;
    m_source += d;
    PlaceMarker();
    m_last = to;
}

void StampTool::MouseRelease(Qt::MouseButtons buttons, QPoint, Qt::KeyboardModifiers, ChildWindow *)
{
    if (!m_bStroke || (buttons & Qt::LeftButton))
        return;
    m_bStroke = false;
    m_copy = QImage();
    if (!m_pWindow)
        return;
    // A click without a drag painted nothing: nothing to record.
    PaintToolSupport::FinishStroke(m_pWindow->document(), QStringLiteral("Stamp"), m_bPainted);
}
