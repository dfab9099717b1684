#include "PaintSession.h"

#include "PixelOps.h"
#include "PixmapLayer.h"

#include <QPainter>
#include <cstdlib>

namespace {

// A transparent picture whose memory the system hands out zeroed as it is
// first touched: clearing a buffer the size of a large canvas costs nothing
// until it is painted, and only what is painted takes memory.
QImage transparentImage(const QSize &size)
{
    const qsizetype bytesPerLine = qsizetype(size.width()) * 4;
    void *pData = size.isEmpty() ? nullptr : std::calloc(size_t(bytesPerLine) * size_t(size.height()), 1);
    if (!pData)
        return QImage();
    return QImage(static_cast<uchar *>(pData), size.width(), size.height(), bytesPerLine,
                  QImage::Format_ARGB32_Premultiplied, &std::free, pData);
}

} // namespace

PaintSession::~PaintSession()
{
    ClosePainter();
}

void PaintSession::ClosePainter()
{
    delete m_pPainter;
    m_pPainter = nullptr;
}

QPoint PaintSession::LayerOrigin() const
{
    if (m_bOwnPixels)
        return QPoint();
    // Truncated like the copy in Begin, so both sides agree on whole pixels.
    const QPointF pos = m_pLayer->pos();
    return QPoint(int(pos.x()), int(pos.y()));
}

void PaintSession::BeginOwnPixels(PixmapLayer *pLayer)
{
    Begin(pLayer, QSize(), false);
    if (!m_pLayer)
        return;
    m_bOwnPixels = true;
    const QPointF pos = m_pLayer->pos();
    m_ownOrigin = QPoint(int(pos.x()), int(pos.y()));
    m_base = m_pLayer->image();
}

const QImage *PaintSession::OnBase(const QImage *pMask)
{
    if (!pMask || !m_bOwnPixels || (m_ownOrigin.isNull() && pMask->size() == m_base.size()))
        return pMask;
    if (m_ownMask.isNull() || m_iOwnMaskKey != pMask->cacheKey()) {
        // Off the canvas nothing is selected.
        m_ownMask = QImage(m_base.size(), pMask->format());
        m_ownMask.fill(0);
        PixelOps::Copy(*pMask, m_ownMask, pMask->rect(), m_ownOrigin);
        m_iOwnMaskKey = pMask->cacheKey();
    }
    return &m_ownMask;
}

QRect PaintSession::AreaOnBase(const QRect &requested) const
{
    return (requested.isEmpty() ? m_base.rect() : requested.translated(CanvasToBase())).intersected(m_base.rect());
}

void PaintSession::Begin(PixmapLayer *pLayer, const QSize &canvas, bool bAccumulate)
{
    ClosePainter();
    m_bAccumulate = bAccumulate;
    m_bOwnPixels = false;
    m_ownMask = QImage();
    m_pLayer = pLayer;
    if (!m_pLayer)
        return;
    const QPoint origin = LayerOrigin();
    if (origin.isNull()) {
        m_base = m_pLayer->image();
    } else {
        // Canvas-sized, transparent where the layer does not reach: a plain
        // copy() would clip the rectangle and lose the offset.
        m_base = QImage(canvas, QImage::Format_ARGB32);
        m_base.fill(0);
        PixelOps::Copy(m_pLayer->image(), m_base, QRect(QPoint(0, 0), m_pLayer->image().size()), -origin);
    }
    m_bStrokeStale = true;
    if (bAccumulate)
        m_accum = transparentImage(m_base.size());
}

void PaintSession::ClearStaleStroke()
{
    if (m_bStrokeStale) {
        m_stroke = transparentImage(m_base.size());
        m_bStrokeStale = false;
    }
}

QImage &PaintSession::strokeBuffer()
{
    ClearStaleStroke();
    return m_stroke;
}

QPainter *PaintSession::BeginStroke()
{
    ClosePainter();
    if (!m_bAccumulate)
        m_bStrokeStale = true;
    ClearStaleStroke();
    m_pPainter = new QPainter(&m_stroke);
    return m_pPainter;
}

void PaintSession::Repaint(const QRect &area)
{
    m_pLayer->update(QRectF(area.translated(-LayerOrigin())));
}

void PaintSession::Commit(const QRect &requested, const QRegion &selection, const QImage *pMask)
{
    CommitWith(&PixelOps::Over, requested, selection, pMask);
}

void PaintSession::CommitErase(const QRect &requested, const QRegion &selection, const QImage *pMask)
{
    CommitWith(&PixelOps::Erase, requested, selection, pMask);
}

void PaintSession::CommitWith(Combine combine, const QRect &requested, const QRegion &selectionIn,
                              const QImage *pMask)
{
    ClosePainter();
    if (!m_pLayer)
        return;
    ClearStaleStroke();
    const QRect area = AreaOnBase(requested);
    if (area.isEmpty())
        return;
    const QRegion selection = OnBase(selectionIn);
    pMask = OnBase(pMask);
    QImage &target = m_pLayer->image();
    const QPoint origin = LayerOrigin();
    if (!pMask) {
        // Without a selection the combine below writes every pixel of the area.
        if (!selection.isEmpty())
            PixelOps::Copy(m_base, target, area, origin);
        const QRegion inside = selection.isEmpty() ? QRegion(area) : selection.intersected(area);
        for (const QRect &part : inside)
            combine(m_stroke, m_base, target, part, origin);
    } else {
        // The stroke weakened by the mask; accumulating tools keep it apart
        // so that their next dab is masked once, not again.
        QImage &soft = m_bAccumulate ? m_accum : m_stroke;
        PixelOps::MultiplyByMask(m_stroke, *pMask, soft, area);
        combine(soft, m_base, target, area, origin);
    }
    Repaint(area);
}

void PaintSession::CommitResult(const QImage &result, const QRect &requested, const QRegion &selectionIn,
                                const QImage *pMask)
{
    ClosePainter();
    if (!m_pLayer || result.isNull())
        return;
    const QImage straight = result.format() == QImage::Format_ARGB32 ? result
                                                                     : result.convertToFormat(QImage::Format_ARGB32);
    const QRect area = AreaOnBase(requested);
    if (area.isEmpty())
        return;
    const QRegion selection = OnBase(selectionIn);
    pMask = OnBase(pMask);
    if (requested.isEmpty() && selection.isEmpty() && !pMask && LayerOrigin().isNull()
        && straight.size() == m_pLayer->image().size()) {
        // The result takes the whole layer: share it instead of copying a
        // whole layer per filter preview.
        m_pLayer->image() = straight;
        Repaint(area);
        return;
    }
    PixelOps::Replace(straight, m_base, m_pLayer->image(), area, selection, pMask, LayerOrigin());
    Repaint(area);
}

PixmapLayer *PaintSession::End()
{
    ClosePainter();
    PixmapLayer *pLayer = m_pLayer;
    m_pLayer = nullptr;
    m_base = QImage();
    m_bOwnPixels = false;
    m_ownMask = QImage();
    return pLayer;
}
