#include "StampTool.h"

#include "ChildWindow.h"
#include "GraphicsScene.h"

#include <QGraphicsPixmapItem>
#include <QMessageBox>
#include <QPainter>

StampTool::StampTool(ToolContext &context, QObject *pParent)
    : RoundTipTool(context, QStringLiteral("Stamp Width"), QStringLiteral("Stamp"), 10, pParent)
{
}

StampTool::~StampTool()
{
    if (m_pMarker && m_pMarker->scene())
        m_pMarker->scene()->removeItem(m_pMarker.get());
}

void StampTool::AddOptions()
{
    m_pMarker = std::make_unique<QGraphicsPixmapItem>();
    m_pMarker->setZValue(5000);
    DrawMarker();
}

void StampTool::Deactivate()
{
    RoundTipTool::Deactivate();
    // The source goes with the marker.
    if (m_pMarker && m_pMarker->scene())
        m_pMarker->scene()->removeItem(m_pMarker.get());
    m_pMarker.reset();
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

void StampTool::WidthChanged()
{
    DrawMarker();
    RefreshCursor();
}

bool StampTool::StartStroke(PixmapLayer *pLayer, QPoint point, Qt::KeyboardModifiers keys)
{
    if (!m_pMarker)
        return false;
    auto *pScene = m_pWindow->scene();
    if (keys & Qt::AltModifier) {
        if (m_pMarker->scene() != pScene) {
            if (m_pMarker->scene())
                m_pMarker->scene()->removeItem(m_pMarker.get());
            pScene->addItem(m_pMarker.get());
        }
        m_source = point;
        PlaceMarker();
        return false;
    }
    if (m_pMarker->scene() != pScene) {
        QMessageBox::warning(m_pWindow, QStringLiteral("Woah, bucko."),
                             QStringLiteral("Hold down \"alt\" and set an anchor first."));
        return false;
    }
    Document *pDocument = m_pWindow->document();
    pDocument->BeginPaint(true, pLayer);
    // The pixels cloned are those of the layer at the press, in canvas
    // coordinates like everything the stroke draws.
    m_copy = pDocument->BaseImage().convertToFormat(QImage::Format_ARGB32_Premultiplied);
    if (m_mask.size() != m_copy.size())
        m_mask = QImage(m_copy.size(), QImage::Format_ARGB32_Premultiplied);
    m_mask.fill(Qt::transparent);
    return true;
}

void StampTool::StrokeTo(QPoint to)
{
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
    Document *pDocument = m_pWindow->document();
    QPainter *pPainter = pDocument->BeginStroke();
    pPainter->drawImage(destination, m_mask, source);
    pDocument->CommitStroke(destination);
    m_bPainted = true;
    m_source += d;
    PlaceMarker();
}
