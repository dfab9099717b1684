#include "SelectionOutline.h"

#include <QPaintDevice>
#include <QPainter>
#include <QWidget>

#include <algorithm>
#include <cmath>

void SelectionOutline::SetRegion(const QRegion &region)
{
    prepareGeometryChange();
    m_region = region;
    m_bMaskStale = true;
    m_bEdgesStale = true;
    update();
}

void SelectionOutline::SetGapColor(const QColor &color)
{
    m_gap = color;
    update();
}

QRectF SelectionOutline::boundingRect() const
{
    return QRectF(m_region.boundingRect()).adjusted(-1, -1, 1, 1);
}

void SelectionOutline::FindEdges(const QTransform &transform, const QRect &area)
{
    if (m_bMaskStale) {
        m_bMaskStale = false;
        m_maskRect = m_region.boundingRect();
        m_iMaskWords = (m_maskRect.width() + 63) / 64;
        m_mask.assign(size_t(m_iMaskWords) * size_t(m_maskRect.height()), 0);
        for (const QRect &r : m_region) {
            const int from = r.left() - m_maskRect.left(), to = r.right() - m_maskRect.left();
            const int w0 = from >> 6, w1 = to >> 6;
            const quint64 head = ~quint64(0) << (from & 63), tail = ~quint64(0) >> (63 - (to & 63));
            for (int y = r.top(); y <= r.bottom(); ++y) {
                quint64 *pRow = m_mask.data() + size_t(y - m_maskRect.top()) * size_t(m_iMaskWords);
                if (w0 == w1) {
                    pRow[w0] |= head & tail;
                } else {
                    pRow[w0] |= head;
                    std::fill(pRow + w0 + 1, pRow + w1, ~quint64(0));
                    pRow[w1] |= tail;
                }
            }
        }
    }
    m_bEdgesStale = false;
    m_edgeTransform = transform;
    m_edgeArea = area;
    const int w = area.width(), h = area.height();
    m_edges.assign(size_t(w) * size_t(h), 0);
    const qreal sx = transform.m11(), sy = transform.m22();
    if (area.isEmpty() || sx <= 0 || sy <= 0 || m_region.isEmpty())
        return;
    // The mask column under each device column's centre (-1 outside the
    // mask), with one device pixel either side for the neighbours.
    std::vector<int> column(size_t(w) + 2);
    for (int i = 0; i < w + 2; ++i) {
        const int c = int(std::floor((area.x() + i - 1 + 0.5 - transform.dx()) / sx)) - m_maskRect.left();
        column[size_t(i)] = c >= 0 && c < m_maskRect.width() ? c : -1;
    }
    // Whether the region covers each sample of device row j (-1 .. h).
    std::vector<uint8_t> rows[3];
    const auto sampleRow = [&](int j, std::vector<uint8_t> &out) {
        out.assign(size_t(w) + 2, 0);
        const int r = int(std::floor((area.y() + j + 0.5 - transform.dy()) / sy)) - m_maskRect.top();
        if (r < 0 || r >= m_maskRect.height())
            return;
        const quint64 *pRow = m_mask.data() + size_t(r) * size_t(m_iMaskWords);
        for (int i = 0; i < w + 2; ++i) {
            const int c = column[size_t(i)];
            out[size_t(i)] = c >= 0 && ((pRow[c >> 6] >> (c & 63)) & 1);
        }
    };
    sampleRow(-1, rows[0]);
    sampleRow(0, rows[1]);
    for (int j = 0; j < h; ++j) {
        sampleRow(j + 1, rows[(j + 2) % 3]);
        const uint8_t *pAbove = rows[j % 3].data(), *pHere = rows[(j + 1) % 3].data(),
                      *pBelow = rows[(j + 2) % 3].data();
        uint8_t *pEdge = m_edges.data() + size_t(j) * size_t(w);
        // Inside, with a neighbour outside.
        for (int i = 0; i < w; ++i)
            pEdge[i] = pHere[i + 1] & ~(pHere[i] & pHere[i + 2] & pAbove[i + 1] & pBelow[i + 1]) & 1;
    }
}

// The outline's pixels: dashes along x + y, so that they march diagonally
// as the offset grows, in the pen's colour, the gaps in the gap colour.
QImage SelectionOutline::Dashed() const
{
    QImage image(m_edgeArea.size(), QImage::Format_ARGB32_Premultiplied);
    const QPen pen = this->pen();
    const QList<qreal> pattern = pen.style() == Qt::SolidLine ? QList<qreal>() : pen.dashPattern();
    const int on = pattern.size() >= 2 ? std::max(1, int(pattern[0])) : 0;
    const int period = pattern.size() >= 2 ? std::max(1, int(pattern[0] + pattern[1])) : 1;
    const int offset = int(pen.dashOffset());
    const quint32 colour = pen.color().rgba64().premultiplied().toArgb32();
    const quint32 gap = m_gap.rgba64().premultiplied().toArgb32();
    const int w = m_edgeArea.width();
    // The colours along a row whose first pixel is at phase 0, one period
    // longer than the row so that every row starts somewhere in it.
    std::vector<quint32> dashes(size_t(w + period));
    for (int i = 0; i < w + period; ++i)
        dashes[size_t(i)] = !on || i % period < on ? colour : gap;
    for (int j = 0; j < m_edgeArea.height(); ++j) {
        auto *pLine = reinterpret_cast<quint32 *>(image.scanLine(j));
        const uint8_t *pEdge = m_edges.data() + size_t(j) * size_t(w);
        const int phase = ((m_edgeArea.x() + m_edgeArea.y() + j + offset) % period + period) % period;
        const quint32 *pDash = dashes.data() + phase;
        for (int i = 0; i < w; ++i)
            pLine[i] = pDash[i] & (0u - pEdge[i]);
    }
    return image;
}

void SelectionOutline::paint(QPainter *pPainter, const QStyleOptionGraphicsItem *, QWidget *pWidget)
{
    const QTransform transform = pPainter->worldTransform();
    QPaintDevice *pDevice = pPainter->device();
    if (!pDevice || m_region.isEmpty())
        return;
    // The view is as large as the zoomed canvas, in a scroll area: only its
    // visible part is drawn.
    QRect shown(0, 0, pDevice->width(), pDevice->height());
    if (pWidget && pDevice == pWidget)
        shown &= pWidget->visibleRegion().boundingRect();
    QRect area = transform.mapRect(boundingRect()).toAlignedRect().intersected(shown);
    // Turned views (none in this program) draw into the canvas's own space.
    const bool bPlain = transform.type() <= QTransform::TxScale;
    if (!bPlain)
        area = boundingRect().toAlignedRect();
    if (area.isEmpty())
        return;
    const QTransform drawn = bPlain ? transform : QTransform();
    if (m_bEdgesStale || m_edgeTransform != drawn || m_edgeArea != area) {
        FindEdges(drawn, area);
        for (Drawn &each : m_drawn)
            each.image = QImage();
    }
    Drawn *pDrawn = nullptr;
    for (Drawn &each : m_drawn)
        if (!each.image.isNull() && each.pen == pen() && each.gap == m_gap)
            pDrawn = &each;
    if (!pDrawn) {
        pDrawn = &m_drawn[m_iNext];
        m_iNext = (m_iNext + 1) % 2;
        *pDrawn = {pen(), m_gap, Dashed()};
    }
    pPainter->save();
    if (bPlain)
        pPainter->resetTransform();
    pPainter->drawImage(area.topLeft(), pDrawn->image);
    pPainter->restore();
}
