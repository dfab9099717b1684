#include "SmudgeBrush.h"

#include <QtMath>

#include <algorithm>
#include <cmath>

void SmudgeBrush::SetWidth(int iWidth)
{
    m_iWidth = qMax(1, iWidth);
    BuildWeights();
}

void SmudgeBrush::SetStrength(int iPercent)
{
    m_iStrength = qBound(1, iPercent, 100);
}

void SmudgeBrush::BuildWeights()
{
    // Full in the inner half of the radius, easing to nothing at the rim.
    const int w = m_iWidth;
    const double r = w / 2.0;
    m_weights.assign(size_t(w) * w, 0.f);
    for (int y = 0; y < w; ++y)
        for (int x = 0; x < w; ++x) {
            const double d = std::hypot(x + 0.5 - r, y + 0.5 - r);
            double f = 0;
            if (w <= 2)
                f = 1;
            else if (d < r) {
                const double t = qBound(0.0, (d - r / 2) / (r / 2), 1.0);
                f = 1 - t * t * (3 - 2 * t);
            }
            m_weights[size_t(y) * w + x] = float(f);
        }
}

double SmudgeBrush::Weight(int dx, int dy) const
{
    const int half = m_iWidth / 2;
    const int x = dx + half, y = dy + half;
    if (x < 0 || y < 0 || x >= m_iWidth || y >= m_iWidth || m_weights.empty())
        return 0;
    return m_weights[size_t(y) * m_iWidth + x];
}

QRect SmudgeBrush::TipRect(QPoint centre) const
{
    const int half = m_iWidth / 2;
    return QRect(centre.x() - half, centre.y() - half, m_iWidth, m_iWidth);
}

namespace {

inline void unpack(QRgb p, float *out)
{
    const float a = float(qAlpha(p));
    const float k = a / 255.f;
    out[0] = qRed(p) * k;
    out[1] = qGreen(p) * k;
    out[2] = qBlue(p) * k;
    out[3] = a;
}

inline QRgb pack(const float *in)
{
    const float a = std::clamp(in[3], 0.f, 255.f);
    if (a < 0.5f)
        return 0;
    const float k = 255.f / a;
    const auto c = [&](float v) { return int(std::clamp(v * k, 0.f, 255.f) + 0.5f); };
    return qRgba(c(in[0]), c(in[1]), c(in[2]), int(a + 0.5f));
}

} // namespace

void SmudgeBrush::Start(const QImage &image, QPoint centre)
{
    if (m_weights.size() != size_t(m_iWidth) * m_iWidth)
        BuildWeights();
    const int w = m_iWidth;
    m_carried.assign(size_t(w) * w * 4, 0.f);
    const QRect tip = TipRect(centre);
    const QRect inside = tip.intersected(image.rect());
    for (int y = inside.top(); y <= inside.bottom(); ++y) {
        const QRgb *pRow = reinterpret_cast<const QRgb *>(image.constScanLine(y));
        for (int x = inside.left(); x <= inside.right(); ++x)
            unpack(pRow[x], &m_carried[(size_t(y - tip.top()) * w + (x - tip.left())) * 4]);
    }
    m_last = centre;
    m_dPending = 0;
}

QRect SmudgeBrush::Dab(QImage &image, QPoint centre)
{
    const int w = m_iWidth;
    const QRect tip = TipRect(centre);
    const QRect inside = tip.intersected(image.rect());
    if (inside.isEmpty() || m_carried.empty())
        return QRect();
    const float strength = m_iStrength / 100.f;
    const float keep = strength;
    for (int y = inside.top(); y <= inside.bottom(); ++y) {
        QRgb *pRow = reinterpret_cast<QRgb *>(image.scanLine(y));
        const int ty = y - tip.top();
        for (int x = inside.left(); x <= inside.right(); ++x) {
            const int tx = x - tip.left();
            const float f = m_weights[size_t(ty) * w + tx];
            if (f <= 0.f)
                continue;
            float *pCarried = &m_carried[(size_t(ty) * w + tx) * 4];
            float cur[4];
            unpack(pRow[x], cur);
            const float a = strength * f;
            float out[4];
            for (int c = 0; c < 4; ++c) {
                out[c] = cur[c] + (pCarried[c] - cur[c]) * a;
                // What is passed over is picked up; a strong tip keeps more
                // of what it already carries.
                pCarried[c] = pCarried[c] * keep + cur[c] * (1.f - keep);
            }
            pRow[x] = pack(out);
        }
    }
    return inside;
}

QRect SmudgeBrush::MoveTo(QImage &image, QPoint to)
{
    const QPointF target(to);
    const QPointF delta = target - m_last;
    const double length = std::hypot(delta.x(), delta.y());
    if (length <= 0)
        return QRect();
    // Dabs about a sixth of the tip apart, so the colour is dragged in a
    // continuous streak.
    const double spacing = qMax(1.0, m_iWidth / 6.0);
    QRect changed;
    double walked = spacing - m_dPending;
    while (walked <= length) {
        const QPointF at = m_last + delta * (walked / length);
        changed |= Dab(image, QPoint(qRound(at.x()), qRound(at.y())));
        walked += spacing;
    }
    m_dPending = length - (walked - spacing);
    m_last = target;
    return changed;
}
