#include "SelectionOutline.h"

#include <QPaintDevice>
#include <QPainter>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

void SelectionOutline::SetRegion(const QRegion &region)
{
    prepareGeometryChange();
    m_region = region;
    update();
}

QRectF SelectionOutline::boundingRect() const
{
    return QRectF(m_region.boundingRect()).adjusted(-1, -1, 1, 1);
}

QImage SelectionOutline::Draw(const QRegion &region, const QTransform &transform, const QRect &area, const QPen &pen)
{
    QImage image(area.size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    const qreal sx = transform.m11(), sy = transform.m22();
    if (area.isEmpty() || sx <= 0 || sy <= 0 || region.isEmpty())
        return image;
    // The canvas pixel under each device column and row (centres), plus one
    // device pixel either side for the neighbours.
    std::vector<int> cx(size_t(area.width()) + 2), cy(size_t(area.height()) + 2);
    for (int i = 0; i < int(cx.size()); ++i)
        cx[size_t(i)] = int(std::floor((area.x() + i - 1 + 0.5 - transform.dx()) / sx));
    for (int i = 0; i < int(cy.size()); ++i)
        cy[size_t(i)] = int(std::floor((area.y() + i - 1 + 0.5 - transform.dy()) / sy));
    // Whether the region covers each of those samples: a rectangle covers
    // the columns and rows whose canvas pixel it holds.
    const size_t w = cx.size(), h = cy.size();
    std::vector<uint8_t> inside(w * h, 0);
    const QRect canvas(QPoint(cx.front(), cy.front()), QPoint(cx.back(), cy.back()));
    // The first sample at or after each canvas column and row (one past the
    // end included), so that each rectangle finds its samples at once.
    const auto firstAt = [](const std::vector<int> &samples, int from, int to) {
        std::vector<int> first(size_t(to - from) + 2);
        size_t k = 0;
        for (int c = from; c <= to + 1; ++c) {
            while (k < samples.size() && samples[k] < c)
                ++k;
            first[size_t(c - from)] = int(k);
        }
        return first;
    };
    const std::vector<int> firstColumn = firstAt(cx, canvas.left(), canvas.right());
    const std::vector<int> firstRow = firstAt(cy, canvas.top(), canvas.bottom());
    for (const QRect &r : region) {
        if (r.top() > canvas.bottom())
            break; // the rectangles come top to bottom
        const QRect part = r.intersected(canvas);
        if (part.isEmpty())
            continue;
        const size_t i0 = size_t(firstColumn[size_t(part.left() - canvas.left())]);
        const size_t i1 = size_t(firstColumn[size_t(part.right() + 1 - canvas.left())]);
        const size_t j0 = size_t(firstRow[size_t(part.top() - canvas.top())]);
        const size_t j1 = size_t(firstRow[size_t(part.bottom() + 1 - canvas.top())]);
        for (size_t j = j0; i0 < i1 && j < j1; ++j)
            std::memset(&inside[j * w + i0], 1, i1 - i0);
    }
    const auto at = [&](int i, int j) { return inside[size_t(j + 1) * w + size_t(i + 1)]; };
    // Dashes run along x + y, so they march diagonally as the offset grows.
    const QList<qreal> pattern = pen.style() == Qt::SolidLine ? QList<qreal>() : pen.dashPattern();
    const int on = pattern.size() >= 2 ? std::max(1, int(pattern[0])) : 0;
    const int period = pattern.size() >= 2 ? std::max(1, int(pattern[0] + pattern[1])) : 1;
    const int offset = int(pen.dashOffset());
    const quint32 colour = pen.color().rgba64().premultiplied().toArgb32();
    for (int j = 0; j < area.height(); ++j) {
        auto *pLine = reinterpret_cast<quint32 *>(image.scanLine(j));
        for (int i = 0; i < area.width(); ++i) {
            if (!at(i, j) || (at(i - 1, j) && at(i + 1, j) && at(i, j - 1) && at(i, j + 1)))
                continue;
            if (on) {
                const int phase = ((area.x() + i + area.y() + j + offset) % period + period) % period;
                if (phase >= on)
                    continue;
            }
            pLine[i] = colour;
        }
    }
    return image;
}

void SelectionOutline::paint(QPainter *pPainter, const QStyleOptionGraphicsItem *, QWidget *)
{
    const QTransform transform = pPainter->worldTransform();
    QPaintDevice *pDevice = pPainter->device();
    if (!pDevice || m_region.isEmpty())
        return;
    QRect area = transform.mapRect(boundingRect()).toAlignedRect().intersected(
        QRect(0, 0, pDevice->width(), pDevice->height()));
    // Turned views (none in this program) draw into the canvas's own space.
    const bool bPlain = transform.type() <= QTransform::TxScale;
    if (!bPlain)
        area = boundingRect().toAlignedRect();
    if (area.isEmpty())
        return;
    const QTransform drawn = bPlain ? transform : QTransform();
    Drawn *pDrawn = nullptr;
    for (Drawn &each : m_drawn)
        if (each.transform == drawn && each.area == area && each.pen == pen() && each.region == m_region)
            pDrawn = &each;
    if (!pDrawn) {
        pDrawn = &m_drawn[m_iNext];
        m_iNext = (m_iNext + 1) % 2;
        *pDrawn = {m_region, drawn, area, pen(), Draw(m_region, drawn, area, pen())};
    }
    pPainter->save();
    if (bPlain)
        pPainter->resetTransform();
    pPainter->drawImage(area.topLeft(), pDrawn->image);
    pPainter->restore();
}
