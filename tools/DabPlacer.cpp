#include "DabPlacer.h"
#include "CQBrush.h"
#include "Random.h"

#include <algorithm>
#include <cstdlib>

void DabPlacer::Reset()
{
    m_bFirstDab = true;
    m_movement = QPoint();
}

bool DabPlacer::NextDab(const CQBrush &brush, int iSize, const QColor &color, QPoint delta, QPoint pos, Dab *pDab)
{
    m_movement += delta;
    if (!m_bFirstDab && iSize * brush.Value(CQBrush::Spacing) > m_movement.manhattanLength())
        return false;
    m_bFirstDab = false;
    m_movement = QPoint();

    QRect rect(pos.x() - iSize / 2, pos.y() - iSize / 2, iSize, iSize);
    if (const double s = brush.Value(CQBrush::ScatterX))
        rect.translate(Random::Spread(s), 0);
    if (const double s = brush.Value(CQBrush::ScatterY))
        rect.translate(0, Random::Spread(s));
    if (const double s = brush.Value(CQBrush::SizeJitter)) {
        const int j = Random::Spread(iSize * s);
        rect.setWidth(rect.width() + j);
        rect.setHeight(rect.height() + j);
    }

    QColor dabColor;
    const double hue = brush.Value(CQBrush::HueJitter);
    const double saturation = brush.Value(CQBrush::SaturationJitter);
    const double lightness = brush.Value(CQBrush::LightnessJitter);
    const double opacity = brush.Value(CQBrush::OpacityJitter);
    if (color.isValid() && (hue != 0 || saturation != 0 || lightness != 0 || opacity != 0)) {
        int h = 0, s = 0, l = 0, a = 0;
        color.getHsl(&h, &s, &l, &a);
        h = std::max(h, 0); // greys have no hue
        if (hue != 0)
            h = ((h + Random::Spread(hue)) % 360 + 360) % 360;
        if (saturation != 0)
            s = std::clamp(s + Random::Spread(saturation), 0, 255);
        if (lightness != 0)
            l = std::clamp(l + Random::Spread(lightness), 0, 255);
        if (opacity != 0)
            a = std::clamp(a + Random::Spread(opacity), 0, 255);
        dabColor = QColor::fromHsl(h, s, l, a);
    }
    *pDab = Dab{rect, dabColor, 0};
    return true;
}

int DabPlacer::RandomAngle(const CQBrush &brush)
{
    const double jitter = brush.Value(CQBrush::AngleJitter);
    return jitter == 0 ? 0 : Random::Spread(jitter);
}

Dab DabPlacer::Press(const CQBrush &brush, int iSize, const QColor &color, QPoint pos)
{
    Reset();
    Dab dab;
    NextDab(brush, iSize, color, QPoint(), pos, &dab);
    return dab;
}

QList<Dab> DabPlacer::Move(const CQBrush &brush, int iSize, const QColor &color, QPoint from, QPoint to)
{
    QList<Dab> dabs;
    const QList<QPoint> pixels = LinePixels(from, to);
    // The first pixel is `from`, visited when the last press or move ended.
    for (qsizetype i = 1; i < pixels.size(); ++i) {
        const QPoint step = pixels[i] - pixels[i - 1];
        Dab dab;
        if (NextDab(brush, iSize, color, QPoint(std::abs(step.x()), std::abs(step.y())), pixels[i], &dab)) {
            dab.angle = RandomAngle(brush);
            dabs.append(dab);
        }
    }
    return dabs;
}

QList<QPoint> DabPlacer::LinePixels(QPoint a, QPoint b)
{
    const int dx = std::abs(b.x() - a.x());
    const int dy = -std::abs(b.y() - a.y());
    const int sx = a.x() < b.x() ? 1 : -1;
    const int sy = a.y() < b.y() ? 1 : -1;
    QList<QPoint> pixels;
    pixels.reserve(std::max(dx, -dy) + 1);
    int x = a.x(), y = a.y();
    int err = dx + dy;
    for (;;) {
        pixels.append(QPoint(x, y));
        if (x == b.x() && y == b.y())
            break;
        const int e2 = 2 * err;
        if (e2 >= dy) {
            err += dy;
            x += sx;
        }
        if (e2 <= dx) {
            err += dx;
            y += sy;
        }
    }
    return pixels;
}
