#include "GraphicsScene.h"

#include "Layer.h"
#include "PixmapLayer.h"
#include "TextLayer.h"

#include <QGraphicsSceneWheelEvent>
#include <QGraphicsView>
#include <QMetaMethod>
#include <QPainter>
#include <QStyleOptionGraphicsItem>
#include <QThread>
#include <cmath>
#include <thread>
#include <vector>

namespace {

// One layer as the composition needs it, gathered on the GUI thread. Raster
// layers carry their (straight) pixels as a shared image that threads only
// read; the painter premultiplies as it blends. Text layers are painted by
// their item, on the GUI thread only.
struct LayerStep {
    QGraphicsItem *pText = nullptr;
    QImage pixels;
    QPointF pos;
    int iMode = 0;
    qreal dOpacity = 1;
};

// Below this many pixels a second thread costs more than it saves.
constexpr qint64 kThreadedPixels = 256 * 256;

// The smallest reduced picture: 1/128 of each side.
constexpr int kMaxLevel = 7;

// Reduced pictures up to this many pixels are composed ahead while idle,
// about this many full-size pixels at a time (a few milliseconds).
constexpr qint64 kAheadPixels = qint64(4096) * 4096;
constexpr qint64 kAheadBand = qint64(2) << 20;

// The pixels of a picture 1/2^level the size that cover `local` (rounded out).
QRect reducedRect(const QRect &local, int iLevel)
{
    if (local.isEmpty())
        return QRect();
    return QRect(QPoint(local.left() >> iLevel, local.top() >> iLevel),
                 QPoint(local.right() >> iLevel, local.bottom() >> iLevel));
}

// The level whose picture, drawn at the painter's scale, is shrunk by less
// than half: 0 (full size) unless the view shows half size or less.
int levelFor(const QTransform &transform)
{
    const qreal scale = std::hypot(transform.m11(), transform.m12());
    int iLevel = 0;
    while (iLevel < kMaxLevel && scale > 0 && scale * (2 << iLevel) <= 1.0 + 1e-9)
        ++iLevel;
    return iLevel;
}

// Adds the alpha and each colour times alpha of n pixels to the column sums
// (each product fits 16 bits, which lets the loop run on short lanes).
struct AddRow {
    static void Run(const QRgb *row, int n, quint32 *a, quint32 *r, quint32 *g, quint32 *b)
    {
        for (int x = 0; x < n; ++x) {
            const quint32 v = row[x];
            const quint32 alpha = v >> 24;
            a[x] += alpha;
            r[x] += quint16(((v >> 16) & 0xff) * alpha);
            g[x] += quint16(((v >> 8) & 0xff) * alpha);
            b[x] += quint16((v & 0xff) * alpha);
        }
    }
};

// Compiled twice on x86: for any processor, and with AVX2 where the
// processor has it.
#if defined(__x86_64__) || defined(__i386__)
__attribute__((target("avx2"))) void addRowAvx2(const QRgb *row, int n, quint32 *a, quint32 *r, quint32 *g,
                                                quint32 *b)
{
    AddRow::Run(row, n, a, r, g, b);
}
#endif

void addRow(const QRgb *row, int n, quint32 *a, quint32 *r, quint32 *g, quint32 *b)
{
#if defined(__x86_64__) || defined(__i386__)
    static const bool bAvx2 = __builtin_cpu_supports("avx2");
    if (bAvx2) {
        addRowAvx2(row, n, a, r, g, b);
        return;
    }
#endif
    AddRow::Run(row, n, a, r, g, b);
}

// The straight pixels of `part` of a picture 1/2^level the size, from the
// layer's pixels placed at `at` in the full-size picture: each pixel is the
// alpha-weighted average of its block, where the layer's missing pixels
// count as transparent.
QImage reduceLayer(const QImage &pixels, QPoint at, int iLevel, const QRect &part)
{
    const int f = 1 << iLevel;
    QImage out(part.size(), QImage::Format_ARGB32);
    out.fill(0);
    const int width = part.width();
    const int sxStart = part.left() * f - at.x();
    // The output columns the layer reaches, and its columns under them.
    const int oxBegin = std::min(width, sxStart < 0 ? -sxStart >> iLevel : 0);
    const int reach = pixels.width() - sxStart;
    const int oxEnd = std::max(oxBegin, std::min(width, reach > 0 ? (reach + f - 1) >> iLevel : 0));
    if (oxBegin >= oxEnd)
        return out;
    const int sxBegin = std::max(0, sxStart + oxBegin * f), sxEnd = std::min(pixels.width(), sxStart + oxEnd * f);
    const int span = sxEnd - sxBegin;
    // Sums down each column of a row of blocks, then across each block: of
    // alpha and of each colour times alpha (255 * 255 * 128 * 128 still
    // fits 32 bits).
    std::vector<quint32> columns(size_t(span) * 4);
    quint32 *ca = columns.data(), *cr = ca + span, *cg = cr + span, *cb = cg + span;
    const quint32 n = quint32(f) * quint32(f);
    for (int oy = 0; oy < part.height(); ++oy) {
        const int sy0 = (part.top() + oy) * f - at.y();
        const int syBegin = std::max(0, sy0), syEnd = std::min(pixels.height(), sy0 + f);
        if (syBegin >= syEnd)
            continue;
        std::fill(columns.begin(), columns.end(), 0u);
        for (int sy = syBegin; sy < syEnd; ++sy)
            addRow(reinterpret_cast<const QRgb *>(pixels.constScanLine(sy)) + sxBegin, span, ca, cr, cg, cb);
        auto *line = reinterpret_cast<QRgb *>(out.scanLine(oy));
        for (int ox = oxBegin; ox < oxEnd; ++ox) {
            const int c0 = std::max(sxBegin, sxStart + ox * f) - sxBegin;
            const int c1 = std::min(sxEnd, sxStart + (ox + 1) * f) - sxBegin;
            quint32 a = 0, r = 0, g = 0, b = 0;
            for (int c = c0; c < c1; ++c) {
                a += ca[c];
                r += cr[c];
                g += cg[c];
                b += cb[c];
            }
            if (a != 0)
                line[ox] = qRgba(int((r + a / 2) / a), int((g + a / 2) / a), int((b + a / 2) / a),
                                 int((a + n / 2) / n));
        }
    }
    return out;
}

} // namespace

GraphicsScene::GraphicsScene(QObject *pParent)
    : LayerScene(pParent)
{
    m_tile = QPixmap(20, 20);
    QPainter tile(&m_tile);
    tile.setPen(Qt::NoPen);
    const QColor light(Qt::white), grey(204, 204, 204);
    tile.fillRect(0, 0, 10, 10, light);
    tile.fillRect(10, 10, 10, 10, light);
    tile.fillRect(10, 0, 10, 10, grey);
    tile.fillRect(0, 10, 10, 10, grey);
    tile.end();
    m_tileImage = m_tile.toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied);
    m_ahead.setInterval(0);
    connect(&m_ahead, &QTimer::timeout, this, &GraphicsScene::ComposeAhead);
}

void GraphicsScene::ComposeAhead()
{
    const QRegion missing = m_reduced.isNull() || m_iLevel == 0 ? QRegion() : QRegion(m_reduced.rect()) - m_reducedValid;
    if (missing.isEmpty()) {
        m_ahead.stop();
        return;
    }
    // The first missing rectangle, cut to a band of rows.
    const QRect first = *missing.begin();
    const qint64 rowPixels = qint64(first.width()) << (2 * m_iLevel);
    const int rows = int(qBound(qint64(1), kAheadBand / rowPixels, qint64(first.height())));
    const QRect band(first.left(), first.top(), first.width(), rows);
    const int f = 1 << m_iLevel;
    Compose(QRect(band.topLeft() * f, band.size() * f).translated(m_cacheRect.topLeft()), m_iLevel);
}

void GraphicsScene::Invalidate(const QRectF &area)
{
    const QRect r = area.toAlignedRect().intersected(m_cacheRect);
    if (!r.isEmpty()) {
        const QRect local = r.translated(-m_cacheRect.topLeft());
        m_valid -= local;
        m_reducedValid -= reducedRect(local, m_iLevel);
    }
    update(area);
}

void GraphicsScene::InvalidateAll()
{
    m_valid = QRegion();
    m_reducedValid = QRegion();
    update();
}

void GraphicsScene::WatchText(QObject *pTextItem)
{
    const QList<QObject *> children = pTextItem->children();
    for (QObject *pChild : children)
        if (pChild->metaObject()->indexOfSignal("updateRequest(QRectF)") >= 0) {
            // The text control's class is private: connect through its meta-object.
            const QMetaObject *pMeta = pChild->metaObject();
            const QMetaMethod changed = metaObject()->method(metaObject()->indexOfSlot("TextChanged()"));
            // Growing text reports its new size after the repaint request.
            for (const char *signal : {"updateRequest(QRectF)", "documentSizeChanged(QSizeF)"})
                connect(pChild, pMeta->method(pMeta->indexOfSignal(signal)), this, changed, Qt::UniqueConnection);
        }
}

void GraphicsScene::TextChanged()
{
    QObject *pControl = sender();
    auto *pText = dynamic_cast<TextLayer *>(pControl ? pControl->parent() : nullptr);
    if (pText && pText->scene() == this)
        pText->TextChanged();
}

QRectF GraphicsScene::CheckerRect() const
{
    QPointF origin(0, 0);
    const QList<QGraphicsView *> allViews = views();
    if (!allViews.isEmpty())
        origin = allViews.first()->mapToScene(0, 0);
    return QRectF(origin, sceneRect().size());
}

void GraphicsScene::DrawChecker(QPainter *pPainter, const QRectF &checker)
{
    pPainter->drawTiledPixmap(checker, m_tile);
}

void GraphicsScene::FillChecker(QPainter *pPainter, const QRectF &checker, qreal scale) const
{
    // The same opaque tiles, from an image so that any thread may draw them.
    QBrush tiles(m_tileImage);
    if (scale != 1)
        tiles.setTransform(QTransform::fromScale(scale, scale));
    pPainter->setBrushOrigin(checker.topLeft());
    pPainter->fillRect(checker, tiles);
}

void GraphicsScene::UpdateCacheRect()
{
    const QRectF checker = CheckerRect();
    // Only whole pixels of checkerboard are composed; a fractional rim is
    // drawn the plain way.
    const QPoint topLeft(int(std::ceil(checker.left())), int(std::ceil(checker.top())));
    const QPoint end(int(std::floor(checker.right())), int(std::floor(checker.bottom())));
    QRect inner(topLeft, QSize(end.x() - topLeft.x(), end.y() - topLeft.y()));
    if (!inner.isValid())
        inner = QRect();
    if (inner == m_cacheRect && checker.topLeft() == m_checkerOrigin)
        return;
    m_cacheRect = inner;
    m_checkerOrigin = checker.topLeft();
    // Made when first drawn at full size: pages never written cost nothing.
    m_cache = QImage();
    m_valid = QRegion();
    m_reduced = QImage();
    m_reducedValid = QRegion();
}

const QImage &GraphicsScene::Compose(const QRect &area, int iLevel)
{
    const QRect local = area.intersected(m_cacheRect).translated(-m_cacheRect.topLeft());
    const QSize full = m_cacheRect.size();
    QImage &picture = iLevel == 0 ? m_cache : m_reduced;
    QRegion &valid = iLevel == 0 ? m_valid : m_reducedValid;
    if (iLevel != 0 && iLevel != m_iLevel) {
        // One reduced picture at a time: zooming elsewhere makes another.
        m_reduced = QImage();
        m_iLevel = iLevel;
    }
    if (picture.isNull() && !full.isEmpty()) {
        const QSize size((full.width() + (1 << iLevel) - 1) >> iLevel, (full.height() + (1 << iLevel) - 1) >> iLevel);
        picture = QImage(size, QImage::Format_ARGB32_Premultiplied);
        valid = QRegion();
    }
    const QRegion need = QRegion(reducedRect(local, iLevel).intersected(picture.rect())) - valid;
    if (need.isEmpty())
        return picture;

    // The stack as the scene would draw it: bottom first, shown layers only.
    std::vector<LayerStep> steps;
    bool bTextLayers = false;
    const QList<QGraphicsItem *> all = items(Qt::AscendingOrder);
    for (QGraphicsItem *pItem : all) {
        Layer *pLayer = dynamic_cast<Layer *>(pItem);
        if (!pLayer || !pItem->isVisible() || pItem->effectiveOpacity() < qreal(0.001))
            continue;
        LayerStep step;
        step.pos = pItem->scenePos();
        if (pLayer->kind() == Layer::Raster) {
            auto *pRaster = static_cast<PixmapLayer *>(pLayer);
            // A styled layer brings its picture over its styles (composed
            // here, on this thread, when something changed).
            QPoint offset;
            step.pixels = pRaster->DrawnPixels(&offset);
            step.pos += offset;
            step.iMode = pRaster->blendingMode();
            step.dOpacity = pRaster->opacity();
        } else {
            step.pText = pItem;
            bTextLayers = true;
        }
        steps.push_back(std::move(step));
    }

    const qreal scale = 1.0 / (1 << iLevel);
    const QRectF fullChecker = CheckerRect().translated(-QPointF(m_cacheRect.topLeft()));
    const QRectF checker(fullChecker.topLeft() * scale, fullChecker.size() * scale);
    const QPoint cacheOrigin = m_cacheRect.topLeft();
    uchar *pShownBits = picture.bits();
    const qsizetype stride = picture.bytesPerLine();
    auto composeBand = [&, pShownBits, stride](const QRect &band) {
        // A painter of its own on just this band's rows, so bands can be
        // composed side by side. The layers go onto transparency, as export
        // draws them; only that picture goes over the checkerboard.
        QImage flat(band.size(), QImage::Format_ARGB32_Premultiplied);
        QImage shown(pShownBits + band.top() * stride + band.left() * 4, band.width(), band.height(), stride,
                     QImage::Format_ARGB32_Premultiplied);
        flat.fill(Qt::transparent);
        QPainter painter(&flat);
        painter.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing);
        for (const LayerStep &step : steps) {
            const QPointF at = step.pos - QPointF(cacheOrigin);
            if (!step.pText && iLevel > 0) {
                const QImage part = reduceLayer(step.pixels, at.toPoint(), iLevel, band);
                PixmapLayer::PaintPixels(&painter, part.rect(), part, step.iMode, step.dOpacity);
                continue;
            }
            // Full-size pixels and text, in scene units.
            const QRectF exposed = QRectF(QRectF(band).topLeft() / scale, QSizeF(band.size()) / scale).translated(-at);
            painter.save();
            painter.translate(-band.topLeft());
            if (iLevel > 0)
                painter.scale(scale, scale);
            painter.translate(at);
            if (step.pText) {
                QStyleOptionGraphicsItem option;
                option.exposedRect = exposed;
                option.rect = step.pText->boundingRect().toRect();
                if (step.pText->isEnabled())
                    option.state |= QStyle::State_Enabled;
                if (step.pText->isSelected())
                    option.state |= QStyle::State_Selected;
                if (step.pText->hasFocus())
                    option.state |= QStyle::State_HasFocus;
                step.pText->paint(&painter, &option, nullptr);
            } else {
                PixmapLayer::PaintPixels(&painter, exposed.toAlignedRect().adjusted(0, 0, 1, 1), step.pixels,
                                         step.iMode, step.dOpacity);
            }
            painter.restore();
        }
        painter.end();
        QPainter over(&shown);
        over.translate(-band.topLeft());
        FillChecker(&over, checker, scale);
        over.drawImage(band.topLeft(), flat);
    };

    const int iThreads = bTextLayers ? 1 : qBound(1, QThread::idealThreadCount(), 4);
    for (const QRect &r : need) {
        const int iBands = qint64(r.width()) * r.height() << (2 * iLevel) >= kThreadedPixels ? qMin(iThreads, r.height()) : 1;
        if (iBands == 1) {
            composeBand(r);
            continue;
        }
        std::vector<std::thread> workers;
        int y = r.top();
        for (int i = 0; i < iBands; ++i) {
            const int next = r.top() + int(qint64(r.height()) * (i + 1) / iBands);
            const QRect band(r.left(), y, r.width(), next - y);
            y = next;
            if (i + 1 < iBands)
                workers.emplace_back(composeBand, band);
            else
                composeBand(band);
        }
        for (std::thread &worker : workers)
            worker.join();
    }
    valid += need;
    return picture;
}

void GraphicsScene::drawBackground(QPainter *pPainter, const QRectF &rect)
{
    UpdateCacheRect();
    const QRect wanted = rect.toAlignedRect().intersected(m_cacheRect);
    const int iLevel = levelFor(pPainter->worldTransform());
    const QImage &picture = Compose(wanted, iLevel);
    if (iLevel > 0 && qint64(picture.width()) * picture.height() <= kAheadPixels && !m_ahead.isActive())
        m_ahead.start();
    if (!wanted.isEmpty()) {
        const qreal scale = 1.0 / (1 << iLevel);
        const QRectF local = QRectF(wanted.translated(-m_cacheRect.topLeft()));
        pPainter->drawImage(QRectF(wanted), picture,
                            QRectF(local.topLeft() * scale, local.size() * scale));
    }
    const QRectF checker = CheckerRect();
    const QRegion rim = QRegion(checker.toAlignedRect()) - m_cacheRect;
    if (!rim.isEmpty()) {
        pPainter->save();
        pPainter->setClipRegion(rim, Qt::IntersectClip);
        DrawChecker(pPainter, checker);
        pPainter->restore();
    }
    // Layers drawn from here to drawForeground() leave the composed part out.
    m_pDrawing = pPainter;
    m_pDrawingDevice = pPainter->device();
}

void GraphicsScene::drawForeground(QPainter *pPainter, const QRectF &rect)
{
    m_pDrawing = nullptr;
    m_pDrawingDevice = nullptr;
    QGraphicsScene::drawForeground(pPainter, rect);
}

void GraphicsScene::wheelEvent(QGraphicsSceneWheelEvent *pEvent)
{
    pEvent->accept();
}
