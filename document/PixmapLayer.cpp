#include "PixmapLayer.h"

#include "GraphicsScene.h"
#include "LayerDlg.h"

#include <QGraphicsScene>
#include <QGraphicsSceneWheelEvent>
#include <QPainter>
#include <QRegion>
#include <QStyleOptionGraphicsItem>

PixmapLayer::PixmapLayer(QGraphicsScene *pScene, int iWidth, int iHeight)
    : Layer(Raster)
{
    m_image = QPixmap(qMax(1, iWidth), qMax(1, iHeight));
    m_image.fill(Qt::transparent);
    QGraphicsPixmapItem::setPixmap(m_image);
    setFlag(QGraphicsItem::ItemSendsGeometryChanges, true);
    if (pScene)
        pScene->addItem(this);
}

PixmapLayer::~PixmapLayer()
{
    if (scene())
        scene()->removeItem(this);
}

QRectF PixmapLayer::boundingRect() const
{
    if (m_styledBounds.isValid())
        return QRectF(m_styledBounds);
    // QRect's bottom-right convention: one pixel short of the image size.
    const QRect r = m_image.rect();
    return QRectF(QPointF(r.topLeft()), QPointF(r.bottomRight()));
}

void PixmapLayer::update(const QRectF &area)
{
    m_bChanged = true;
    InvalidateArea(area);
    QGraphicsPixmapItem::update(area.intersected(boundingRect()));
}

void PixmapLayer::update()
{
    m_bChanged = true;
    InvalidateArea();
    QGraphicsPixmapItem::update();
}

void PixmapLayer::setPixmap(const QPixmap &pixmap)
{
    InvalidateArea();
    if (pixmap.size() != m_image.size())
        prepareGeometryChange();
    m_image = pixmap;
    QGraphicsPixmapItem::setPixmap(pixmap);
    InvalidateArea();
}

QVariant PixmapLayer::itemChange(GraphicsItemChange change, const QVariant &value)
{
    LayerItemChange(change, value);
    return QGraphicsPixmapItem::itemChange(change, value);
}

bool PixmapLayer::AnchorOffset(const QSize &oldSize, const QSize &newSize, int iAnchor, QPoint *pOffset)
{
    if (iAnchor < 0 || iAnchor > 8)
        return false;
    const int column = iAnchor % 3;
    const int row = iAnchor / 3;
    const int xs[3] = {0, newSize.width() / 2 - oldSize.width() / 2, newSize.width() - oldSize.width()};
    const int ys[3] = {0, newSize.height() / 2 - oldSize.height() / 2, newSize.height() - oldSize.height()};
    *pOffset = QPoint(xs[column], ys[row]);
    return true;
}

void PixmapLayer::ChangeCanvasSize(const QSize &size, int iAnchor)
{
    QPixmap resized(size.expandedTo(QSize(1, 1)));
    resized.fill(Qt::transparent);
    QPoint offset;
    if (AnchorOffset(m_image.size(), size, iAnchor, &offset)) {
        QPainter painter(&resized);
        painter.drawPixmap(offset, m_image);
    }
    setPixmap(resized);
}

void PixmapLayer::Scale(const QSize &size)
{
    setPixmap(m_image.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
    update();
}

void PixmapLayer::Crop(const QRegion &region, const QPixmap &source)
{
    const QRect r = region.boundingRect();
    QPixmap part(r.size().expandedTo(QSize(1, 1)));
    part.fill(Qt::transparent);
    QPixmap result(part.size());
    result.fill(Qt::transparent);
    if (source.isNull()) {
        {
            QPainter painter(&part);
            painter.setCompositionMode(QPainter::CompositionMode_Source);
            painter.drawPixmap(QPoint(0, 0), m_image, r);
        }
        QPainter painter(&result);
        painter.setClipRegion(region.translated(-r.topLeft()));
        painter.drawPixmap(0, 0, part);
    } else {
        QPainter painter(&result);
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        painter.drawPixmap(QPoint(0, 0), source, r);
        painter.setCompositionMode(QPainter::CompositionMode_DestinationIn);
        painter.drawPixmap(QPoint(0, 0), m_image, r);
    }
    setPixmap(result);
    update();
}

static void drawPart(QPainter *pPainter, const QRect &r, const QPixmap &pixels)
{
    pPainter->drawPixmap(r, pixels, r);
}

static void drawPart(QPainter *pPainter, const QRect &r, const QImage &pixels)
{
    pPainter->drawImage(r, pixels, r);
}

template <typename Pixels>
static void paintLayer(QPainter *pPainter, const QRegion &area, const Pixels &pixels, int iMode, qreal dOpacity)
{
    pPainter->setCompositionMode(QPainter::CompositionMode(iMode));
    pPainter->setOpacity(dOpacity);
    for (const QRect &r : area) {
        const QRect part = r.intersected(pixels.rect());
        if (!part.isEmpty())
            drawPart(pPainter, part, pixels);
    }
}

void PixmapLayer::paint(QPainter *pPainter, const QStyleOptionGraphicsItem *pOption, QWidget *)
{
    // Layer styles hook in here once they exist; until then a layer is its image.
    // The bounding rectangle stops one pixel short of the image; grow the
    // exposed part back so the last row and column are drawn too.
    const QRect exposed = pOption->exposedRect.toAlignedRect().adjusted(0, 0, 1, 1);
    // While the scene draws, it has composed most of the layer already.
    paintLayer(pPainter, GraphicsScene::LayerArea(this, pPainter, exposed), m_image, blendingMode(), opacity());
    m_bChanged = false;
}

void PixmapLayer::PaintPixels(QPainter *pPainter, const QRect &exposed, const QImage &pixels, int iMode,
                              qreal dOpacity)
{
    paintLayer(pPainter, QRegion(exposed), pixels, iMode, dOpacity);
}

// The premultiplied pixels the pixmap already holds: a shallow copy, so taking
// a snapshot costs nothing on the GUI thread. Converting back and forth with
// straight ARGB32 is exact, so files and restores lose nothing.
QImage PixmapLayer::ScratchImage() const
{
    return m_image.toImage();
}

void PixmapLayer::ScratchRestore(const QImage &image, const QPointF &position)
{
    setPixmap(QPixmap::fromImage(image));
    setPos(position);
    update();
    // A restore from disk lands later than the command that asked for it.
    LayerDlg::instance()->UpdateLayerThumbnail(this);
}

void PixmapLayer::wheelEvent(QGraphicsSceneWheelEvent *pEvent)
{
    pEvent->accept();
}
