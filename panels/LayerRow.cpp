#include "LayerRow.h"

#include "Layer.h"
#include "PixmapLayer.h"

#include <QPainter>

LayerRow::LayerRow(Layer *pLayer, const QPixmap &thumbnail)
    : QStandardItem(pLayer->name())
    , m_pLayer(pLayer)
    , m_thumbnail(thumbnail)
{
    setCheckable(true);
    // A hidden layer shows an unchecked box, so the panel never claims a
    // layer is visible when it is not.
    setCheckState(pLayer->isVisible() ? Qt::Checked : Qt::Unchecked);
    setData(int(checkState()), kCheckRole);
    setData(QVariant::fromValue(static_cast<void *>(pLayer)), kLayerRole);
}

QVariant LayerRow::data(int iRole) const
{
    if (iRole != Qt::DecorationRole)
        return QStandardItem::data(iRole);
    if (m_thumbnail.isNull())
        m_thumbnail = m_pLayer->kind() == Layer::Text ? TextIcon()
                                                      : Thumbnail(static_cast<PixmapLayer *>(m_pLayer)->image());
    return m_thumbnail;
}

void LayerRow::Forget()
{
    m_thumbnail = QPixmap();
    emitDataChanged();
}

Layer *LayerRow::LayerOf(const QStandardItem *pItem)
{
    return pItem ? static_cast<Layer *>(pItem->data(kLayerRole).value<void *>()) : nullptr;
}

QPixmap LayerRow::TextIcon()
{
    static const QPixmap icon = [] {
        QPixmap square(kThumbnailSide, kThumbnailSide);
        square.fill(Qt::transparent);
        QPainter painter(&square);
        const QPixmap font(QStringLiteral(":/icons/font.png"));
        painter.drawPixmap((square.width() - font.width()) / 2, (square.height() - font.height()) / 2, font);
        return square;
    }();
    return icon;
}

QSize LayerRow::ThumbnailSize(const QSize &imageSize)
{
    const int w = imageSize.width(), h = imageSize.height();
    if (w <= 0 || h <= 0)
        return QSize(kThumbnailSide, kThumbnailSide);
    if (h > w)
        return QSize(qMax(1, qRound(double(kThumbnailSide) * w / h)), kThumbnailSide);
    return QSize(kThumbnailSide, qMax(1, qRound(double(kThumbnailSide) * h / w)));
}

QPixmap LayerRow::Thumbnail(const QImage &image)
{
    QPixmap thumbnail(kThumbnailSide, kThumbnailSide);
    thumbnail.fill(Qt::transparent);
    QPainter painter(&thumbnail);
    const QSize size = ThumbnailSize(image.size());
    const QRect target(QPoint((kThumbnailSide - size.width()) / 2, (kThumbnailSide - size.height()) / 2), size);
    QPixmap tile(8, 8);
    tile.fill(Qt::white);
    {
        QPainter tilePainter(&tile);
        tilePainter.fillRect(4, 0, 4, 4, QColor(204, 204, 204));
        tilePainter.fillRect(0, 4, 4, 4, QColor(204, 204, 204));
    }
    painter.drawTiledPixmap(target, tile);
    // A quick sample of four by four pixels per thumbnail pixel, then a
    // smooth reduction of that: cheap enough to follow a brush stroke.
    const QSize sample = size * 4;
    const QImage sampled = image.width() > sample.width() || image.height() > sample.height()
                               ? image.scaled(sample, Qt::IgnoreAspectRatio, Qt::FastTransformation)
                               : image;
    painter.drawImage(target, sampled.convertToFormat(QImage::Format_ARGB32_Premultiplied)
                                  .scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
    return thumbnail;
}
