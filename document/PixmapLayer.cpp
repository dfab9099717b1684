#include "PixmapLayer.h"

#include "LayerBlend.h"

#include "Document.h"
#include "LayerScene.h"
#include "PixelOps.h"

#include <QGraphicsScene>
#include <QGraphicsSceneWheelEvent>
#include <QPainter>
#include <QStyleOptionGraphicsItem>

PixmapLayer::PixmapLayer(QGraphicsScene *pScene, int iWidth, int iHeight)
    : Layer(Raster)
{
    m_image = QImage(qMax(1, iWidth), qMax(1, iHeight), QImage::Format_ARGB32);
    m_image.fill(0);
    setFlag(QGraphicsItem::ItemSendsGeometryChanges, true);
    if (pScene)
        pScene->addItem(this);
}

PixmapLayer::PixmapLayer(QGraphicsScene *pScene, const QImage &pixels)
    : Layer(Raster)
{
    m_image = pixels.format() == QImage::Format_ARGB32 ? pixels : pixels.convertToFormat(QImage::Format_ARGB32);
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

QPainterPath PixmapLayer::shape() const
{
    QPainterPath path;
    path.addRect(boundingRect());
    return path;
}

void PixmapLayer::PixelsChanged(const QRect &area)
{
    if (!area.isValid())
        m_changedArea = QRect();
    else if (!m_bChanged)
        m_changedArea = area;
    else if (m_changedArea.isValid())
        m_changedArea |= area;
    m_bChanged = true;
    styles().SourceChanged(area);
    if (Document *pDocument = owner())
        pDocument->NotifyPixelsChanged(this);
}

void PixmapLayer::MarkChanged()
{
    m_bChanged = true;
    m_changedArea = QRect();
}

QRectF PixmapLayer::ReachOf(const QRectF &area)
{
    // A shadow moves the change; a glow spreads it.
    if (!styles().HasEnabled())
        return area;
    return QRectF(styles().ChangedArea(area.toAlignedRect(), m_image.size()));
}

void PixmapLayer::update(const QRectF &area)
{
    PixelsChanged(area.toAlignedRect());
    const QRectF reach = ReachOf(area);
    InvalidateArea(reach);
    QGraphicsPixmapItem::update(reach.intersected(boundingRect()));
}

void PixmapLayer::update()
{
    PixelsChanged();
    InvalidateArea();
    QGraphicsPixmapItem::update();
}

void PixmapLayer::setImage(const QImage &image)
{
    InvalidateArea();
    if (image.size() != m_image.size())
        prepareGeometryChange();
    m_image = image.format() == QImage::Format_ARGB32 ? image : image.convertToFormat(QImage::Format_ARGB32);
    UpdateStyledBounds();
    PixelsChanged();
    InvalidateArea();
}

void PixmapLayer::UpdateStyledBounds()
{
    const QRect bounds = styles().HasEnabled() ? styles().StyledBounds(m_image.size()) : QRect();
    if (bounds == m_styledBounds)
        return;
    prepareGeometryChange();
    m_styledBounds = bounds;
}

void PixmapLayer::StylesChanged()
{
    // Both where the styles reached and where they reach now.
    InvalidateArea();
    UpdateStyledBounds();
    MarkChanged();
    if (!m_styledBounds.isValid())
        m_composed = QImage();
    InvalidateArea();
    QGraphicsPixmapItem::update();
    if (Document *pDocument = owner())
        pDocument->NotifyLayerChanged(this);
}

const QImage &PixmapLayer::DrawnPixels(QPoint *pOffset)
{
    *pOffset = QPoint();
    if (!styles().HasEnabled())
        return m_image;
    // Kept in step by StylesChanged() and setImage(); this catches styles
    // whose kernels were first built just now.
    UpdateStyledBounds();
    if (m_bChanged || m_composed.isNull() || m_composedBounds != m_styledBounds) {
        // After a stroke, only the part it reached is composed again.
        const bool bPart = m_changedArea.isValid() && !m_composed.isNull() && m_composedBounds == m_styledBounds;
        styles().Compose(
            m_styledBounds, m_image, [this](QPainter &painter) { painter.drawImage(0, 0, m_image); }, true,
            &m_composed, bPart ? styles().ChangedArea(m_changedArea, m_image.size()) : QRect());
        m_composedBounds = m_styledBounds;
        m_bChanged = false;
        m_changedArea = QRect();
    }
    *pOffset = m_styledBounds.topLeft();
    return m_composed;
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
    QImage resized(size.expandedTo(QSize(1, 1)), QImage::Format_ARGB32);
    resized.fill(0);
    QPoint offset;
    if (AnchorOffset(m_image.size(), size, iAnchor, &offset))
        PixelOps::Copy(m_image, resized, m_image.rect(), -offset);
    setImage(resized);
}

void PixmapLayer::Scale(const QSize &size)
{
    // Scaled premultiplied, so transparent pixels lend no colour to their
    // neighbours, then back to straight.
    const QImage scaled = m_image.convertToFormat(QImage::Format_ARGB32_Premultiplied)
                              .scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    setImage(scaled);
    update();
}

void PixmapLayer::Crop(const QRegion &region)
{
    // The region is in canvas coordinates; the layer's pixels sit at its
    // position (files and the move tool give layers offsets).
    const QRect r = region.boundingRect();
    const QPoint origin(int(pos().x()), int(pos().y()));
    QImage result(r.size().expandedTo(QSize(1, 1)), QImage::Format_ARGB32);
    result.fill(0);
    for (const QRect &part : region.translated(-origin))
        PixelOps::Copy(m_image, result, part, r.topLeft() - origin);
    setImage(result);
    setPos(QPointF(0, 0));
    update();
}

void PixmapLayer::PaintPixels(QPainter *pPainter, const QRect &exposed, const QImage &pixels, int iMode,
                              qreal dOpacity)
{
    pPainter->setCompositionMode(QPainter::CompositionMode(iMode));
    pPainter->setOpacity(dOpacity);
    const QRect part = exposed.intersected(pixels.rect());
    if (!part.isEmpty() && !LayerBlend::Draw(pPainter, part.topLeft(), pixels, part, iMode, dOpacity))
        pPainter->drawImage(part, pixels, part);
}

void PixmapLayer::paint(QPainter *pPainter, const QStyleOptionGraphicsItem *pOption, QWidget *)
{
    // The bounding rectangle stops one pixel short of the image; grow the
    // exposed part back so the last row and column are drawn too.
    const QRect exposed = pOption->exposedRect.toAlignedRect().adjusted(0, 0, 1, 1);
    // While the scene draws, it has composed most of the layer already.
    const QRegion area = LayerScene::LayerArea(this, pPainter, exposed);
    if (area.isEmpty())
        return;
    // With styles, the picture of the layer over them; its own pixels stay
    // where they are and the styles reach round them.
    QPoint offset;
    const QImage &pixels = DrawnPixels(&offset);
    pPainter->setCompositionMode(QPainter::CompositionMode(blendingMode()));
    pPainter->setOpacity(opacity());
    for (const QRect &r : area) {
        const QRect part = r.intersected(QRect(offset, pixels.size()));
        if (!part.isEmpty()
            && !LayerBlend::Draw(pPainter, part.topLeft(), pixels, part.translated(-offset), blendingMode(), opacity()))
            pPainter->drawImage(part, pixels, part.translated(-offset));
    }
}

// A shallow copy of the straight pixels: taking a snapshot costs nothing on
// the GUI thread, and files and restores lose nothing.
QImage PixmapLayer::ScratchImage() const
{
    return m_image;
}

void PixmapLayer::ScratchRestore(const QImage &image, const QPointF &position)
{
    setImage(image);
    setPos(position);
    update();
}

void PixmapLayer::wheelEvent(QGraphicsSceneWheelEvent *pEvent)
{
    pEvent->accept();
}
