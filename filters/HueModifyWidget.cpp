#include "HueModifyWidget.h"

#include <QConicalGradient>
#include <QMouseEvent>
#include <QPainter>
#include <QtMath>

namespace {
qreal normalised(qreal degrees)
{
    qreal a = std::fmod(degrees, 360.0);
    return a < 0 ? a + 360.0 : a;
}
} // namespace

HueModifyWidget::HueModifyWidget(QWidget *pParent) : QWidget(pParent)
{
    setMinimumSize(120, 120);
}

qreal HueModifyWidget::RangeSpan() const
{
    return normalised(m_angles[kEnd] - m_angles[kStart]);
}

void HueModifyWidget::SetHue(qreal dDegrees)
{
    m_angles[kHue] = normalised(dDegrees);
    update();
}

void HueModifyWidget::SetRange(qreal dStart, qreal dSpan)
{
    m_angles[kStart] = normalised(dStart);
    m_angles[kEnd] = normalised(dStart + dSpan);
    update();
}

QPointF HueModifyWidget::Centre() const
{
    return QRectF(rect()).center();
}

qreal HueModifyWidget::Radius() const
{
    return qMin(width(), height()) / 2.0 - 6;
}

qreal HueModifyWidget::HandleRadius(int iHandle) const
{
    // The hue handle rides the colour ring; the range handles sit inside it.
    return Radius() * (iHandle == kHue ? 0.85 : 0.55);
}

qreal HueModifyWidget::AngleAt(const QPointF &point) const
{
    const QPointF d = point - Centre();
    return normalised(qRadiansToDegrees(std::atan2(-d.y(), d.x())));
}

QPointF HueModifyWidget::HandlePosition(int iHandle) const
{
    const qreal a = qDegreesToRadians(m_angles[iHandle]);
    return Centre() + HandleRadius(iHandle) * QPointF(std::cos(a), -std::sin(a));
}

void HueModifyWidget::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QPointF c = Centre();
    const qreal r = Radius();
    const QRectF outer(c.x() - r, c.y() - r, 2 * r, 2 * r);

    // The colour ring: hue h at angle h.
    QConicalGradient ring(c, 0);
    for (int i = 0; i <= 6; ++i)
        ring.setColorAt(i / 6.0, QColor::fromHsvF(i == 6 ? 0 : i / 6.0, 1, 1));
    p.setPen(Qt::NoPen);
    p.setBrush(ring);
    p.drawEllipse(outer);
    p.setBrush(palette().window());
    p.drawEllipse(c, r * 0.7, r * 0.7);

    // The range of source hues.
    p.setBrush(QColor(128, 128, 128, 128));
    p.drawPie(outer, int(m_angles[kStart] * 16), int(RangeSpan() * 16));

    p.setPen(QPen(Qt::black, 1));
    for (int h = 0; h < 3; ++h) {
        p.drawLine(c, HandlePosition(h));
        p.setBrush(h == kHue ? QColor::fromHsvF(m_angles[kHue] / 360.0, 1, 1) : QColor(Qt::white));
        p.drawEllipse(HandlePosition(h), 5, 5);
    }
}

void HueModifyWidget::mousePressEvent(QMouseEvent *event)
{
    // The handle nearest to the press, if the press is near enough to one.
    qreal best = 12;
    m_pressed = -1;
    for (int h = 0; h < 3; ++h) {
        const qreal d = QLineF(event->position(), HandlePosition(h)).length();
        if (d < best) {
            best = d;
            m_pressed = h;
        }
    }
}

void HueModifyWidget::mouseMoveEvent(QMouseEvent *event)
{
    if (m_pressed < 0)
        return;
    m_angles[m_pressed] = AngleAt(event->position());
    update();
    Q_EMIT HueChanged(m_angles[kHue]);
}

void HueModifyWidget::mouseReleaseEvent(QMouseEvent *)
{
    m_pressed = -1;
}
