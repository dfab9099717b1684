#include "ColorWheel.h"

#include <QMouseEvent>
#include <QPainter>
#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

constexpr double kGreyRadius = 6.0;

int radiusFor(QSize size)
{
    return std::max(1, std::min(size.width(), size.height()) / 2);
}

} // namespace

ColorWheel::ColorWheel(QWidget *pParent) : QWidget(pParent)
{
    setMouseTracking(true);
    setMinimumSize(64, 64);
    UpdateColor();
}

int ColorWheel::Radius() const
{
    return radiusFor(size());
}

void ColorWheel::Pick(QPoint point, QSize size, double *pHue, double *pSaturation)
{
    const int dx = point.x() - size.width() / 2;
    const int dy = point.y() - size.height() / 2;
    // Screen y grows downwards; the hue grows counter-clockwise.
    double angle = std::atan2(-double(dy), double(dx)) * 180.0 / std::numbers::pi;
    if (angle < 0)
        angle += 360.0;
    *pHue = std::fmod(angle, 360.0) / 360.0;
    const double distance = std::hypot(double(dx), double(dy));
    *pSaturation = distance < kGreyRadius ? 0.0 : std::min(distance / radiusFor(size), 1.0);
}

void ColorWheel::SetColor(const QColor &color)
{
    if (!color.isValid())
        return;
    float h = 0, s = 0, l = 0, a = 0;
    color.getHslF(&h, &s, &l, &a);
    m_dHue = std::max(double(h), 0.0);
    m_dSaturation = s;
    m_dLightness = l;
    m_dAlpha = a;
    const double angle = m_dHue * 2 * std::numbers::pi;
    const double r = m_dSaturation * Radius();
    m_marker = QPoint(width() / 2 + int(std::lround(r * std::cos(angle))),
                      height() / 2 - int(std::lround(r * std::sin(angle))));
    UpdateColor();
    update();
}

void ColorWheel::SetLightness(double dLightness)
{
    m_dLightness = std::clamp(dLightness, 0.0, 1.0);
    UpdateColor();
}

void ColorWheel::SetAlpha(double dAlpha)
{
    m_dAlpha = std::clamp(dAlpha, 0.0, 1.0);
    UpdateColor();
}

void ColorWheel::UpdateColor()
{
    m_color = QColor::fromHslF(float(m_dHue), float(m_dSaturation), float(m_dLightness), float(m_dAlpha));
}

void ColorWheel::PickAt(QPoint point)
{
    Pick(point, size(), &m_dHue, &m_dSaturation);
    m_marker = point;
    UpdateColor();
    update();
    emit ColorChanged(m_color);
}

void ColorWheel::mousePressEvent(QMouseEvent *pEvent)
{
    PickAt(pEvent->position().toPoint());
}

void ColorWheel::mouseMoveEvent(QMouseEvent *pEvent)
{
    if (pEvent->buttons() & (Qt::LeftButton | Qt::RightButton))
        PickAt(pEvent->position().toPoint());
}

void ColorWheel::resizeEvent(QResizeEvent *pEvent)
{
    m_wheel = QPixmap();
    QWidget::resizeEvent(pEvent);
}

void ColorWheel::paintEvent(QPaintEvent *)
{
    if (m_wheel.size() != size()) {
        // Built once per size: every pixel of the disc at half lightness.
        QImage image(size(), QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        const int r = Radius();
        for (int y = 0; y < image.height(); ++y) {
            auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
            for (int x = 0; x < image.width(); ++x) {
                const double dx = x - width() / 2, dy = y - height() / 2;
                if (dx * dx + dy * dy > double(r) * r)
                    continue;
                double hue = 0, saturation = 0;
                Pick(QPoint(x, y), size(), &hue, &saturation);
                line[x] = QColor::fromHslF(float(hue), float(saturation), 0.5f).rgba();
            }
        }
        m_wheel = QPixmap::fromImage(image);
    }
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.drawPixmap(0, 0, m_wheel);
    if (!m_marker.isNull()) {
        painter.setPen(QPen(m_dLightness > 0.6 ? Qt::black : Qt::white, 1));
        painter.setBrush(Qt::NoBrush);
        painter.drawEllipse(QPointF(m_marker), 5, 5);
    }
}
