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
}

void GraphicsScene::Invalidate(const QRectF &area)
{
    const QRect r = area.toAlignedRect().intersected(m_cacheRect);
    if (!r.isEmpty())
        m_valid -= r.translated(-m_cacheRect.topLeft());
    update(area);
}

void GraphicsScene::InvalidateAll()
{
    m_valid = QRegion();
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

void GraphicsScene::FillChecker(QPainter *pPainter, const QRectF &checker) const
{
    // The same opaque tiles, from an image so that any thread may draw them.
    pPainter->setBrushOrigin(checker.topLeft());
    pPainter->fillRect(checker, QBrush(m_tileImage));
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
    m_cache = inner.isEmpty() ? QImage() : QImage(inner.size(), QImage::Format_ARGB32_Premultiplied);
    m_flat = inner.isEmpty() ? QImage() : QImage(inner.size(), QImage::Format_ARGB32_Premultiplied);
    m_valid = QRegion();
}

void GraphicsScene::Compose(const QRect &area)
{
    const QRegion need = QRegion(area.intersected(m_cacheRect).translated(-m_cacheRect.topLeft())) - m_valid;
    if (need.isEmpty())
        return;

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

    const QRectF checker = CheckerRect().translated(-QPointF(m_cacheRect.topLeft()));
    const QPoint cacheOrigin = m_cacheRect.topLeft();
    uchar *pShownBits = m_cache.bits();
    uchar *pFlatBits = m_flat.bits();
    const qsizetype stride = m_cache.bytesPerLine();
    auto composeBand = [&, pShownBits, pFlatBits, stride](const QRect &band) {
        // Painters of their own on just this band's rows, so bands can be
        // composed side by side. The layers go onto transparency, as export
        // draws them; only that picture goes over the checkerboard.
        const qsizetype offset = band.top() * stride + band.left() * 4;
        QImage flat(pFlatBits + offset, band.width(), band.height(), stride, QImage::Format_ARGB32_Premultiplied);
        QImage shown(pShownBits + offset, band.width(), band.height(), stride, QImage::Format_ARGB32_Premultiplied);
        flat.fill(Qt::transparent);
        QPainter painter(&flat);
        painter.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing);
        painter.translate(-band.topLeft());
        for (const LayerStep &step : steps) {
            const QPointF at = step.pos - QPointF(cacheOrigin);
            const QRectF exposed = QRectF(band).translated(-at);
            painter.save();
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
        FillChecker(&over, checker);
        over.drawImage(band.topLeft(), flat);
    };

    const int iThreads = bTextLayers ? 1 : qBound(1, QThread::idealThreadCount(), 4);
    for (const QRect &r : need) {
        const int iBands = qint64(r.width()) * r.height() >= kThreadedPixels ? qMin(iThreads, r.height()) : 1;
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
    m_valid += need;
}

void GraphicsScene::drawBackground(QPainter *pPainter, const QRectF &rect)
{
    UpdateCacheRect();
    const QRect wanted = rect.toAlignedRect().intersected(m_cacheRect);
    Compose(wanted);
    if (!wanted.isEmpty())
        pPainter->drawImage(QRectF(wanted), m_cache, QRectF(wanted.translated(-m_cacheRect.topLeft())));
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
