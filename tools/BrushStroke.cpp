#include "BrushStroke.h"
#include "CQBrush.h"

#include <QPainter>
#include <QTransform>
#include <algorithm>

BrushStroke::BrushStroke(ProgramCache &cache) : m_cache(cache) {}

BrushStroke::~BrushStroke() = default;

bool BrushStroke::Prepare()
{
    if (!m_pColorizer)
        m_pColorizer = std::make_unique<BrushColorizer>(m_cache);
    return m_pColorizer->isValid();
}

void BrushStroke::SetBrush(CQBrush *pBrush)
{
    m_pBrush = pBrush;
    Rescale();
}

void BrushStroke::SetSize(int iSize)
{
    m_iSize = std::max(iSize, 1);
    Rescale();
}

void BrushStroke::SetColor(const QColor &color)
{
    m_color = color;
    Recolor(color);
}

void BrushStroke::Rescale()
{
    if (!m_pBrush || m_pBrush->Tip().isNull()) {
        m_scaled = m_colored = m_coloredDraw = QImage();
        return;
    }
    m_tipKey = m_pBrush->Tip().cacheKey();
    m_scaled = m_pBrush->Tip().scaled(m_iSize, m_iSize, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                   .convertToFormat(QImage::Format_ARGB32);
    m_coloredWith = QColor();
    Recolor(m_color);
}

void BrushStroke::Recolor(const QColor &color)
{
    if (m_scaled.isNull() || !color.isValid() || color == m_coloredWith)
        return;
    m_colored = m_pColorizer ? m_pColorizer->Colorize(m_scaled, color) : BrushColorizer::Reference(m_scaled, color);
    m_coloredDraw = m_colored.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    m_coloredWith = color;
}

QRect BrushStroke::Press(QPainter &painter, QPoint point)
{
    m_lastPoint = point;
    if (!Prepare())
        return QRect();
    if (!m_pBrush)
        return QRect();
    if (m_pBrush->Tip().cacheKey() != m_tipKey)
        Rescale(); // the brush was given a new tip
    Recolor(m_color); // after colour jitter the tip shows the last dab's colour
    return Draw(painter, m_placer.Press(*m_pBrush, m_iSize, m_color, point));
}

QRect BrushStroke::MoveTo(QPainter &painter, QPoint point)
{
    const QPoint from = m_lastPoint;
    m_lastPoint = point;
    if (!m_pBrush)
        return QRect();
    QRect dirty;
    for (const Dab &dab : m_placer.Move(*m_pBrush, m_iSize, m_color, from, point))
        dirty |= Draw(painter, dab);
    return dirty;
}

QRect BrushStroke::Draw(QPainter &painter, const Dab &dab)
{
    if (dab.rect.width() <= 0 || dab.rect.height() <= 0)
        return QRect();
    if (dab.color.isValid())
        Recolor(dab.color);
    if (m_coloredDraw.isNull())
        return QRect();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    QRect changed = dab.rect;
    if (dab.angle == 0 && dab.rect.size() == m_coloredDraw.size()) {
        painter.drawImage(dab.rect.topLeft(), m_coloredDraw);
    } else {
        const QPointF centre = QRectF(dab.rect).center();
        QTransform rotation;
        rotation.translate(centre.x(), centre.y());
        rotation.rotate(dab.angle);
        rotation.translate(-centre.x(), -centre.y());
        painter.save();
        painter.setTransform(rotation, true);
        painter.drawImage(QRectF(dab.rect), m_coloredDraw);
        painter.restore();
        if (dab.angle != 0)
            changed = rotation.mapRect(QRectF(dab.rect)).toAlignedRect().adjusted(-1, -1, 1, 1);
    }
    const QPaintDevice *pDevice = painter.device();
    return pDevice ? changed & QRect(0, 0, pDevice->width(), pDevice->height()) : changed;
}
