#pragma once
#include <QPixmap>
#include <QStandardItem>

class Layer;

// A layer's row in the layers panel: its name, a box checked while the
// layer is visible, and its thumbnail. The thumbnail is drawn when the view
// first asks for it, so a document of thousands of layers costs only the
// rows in sight.
class LayerRow : public QStandardItem {
public:
    static constexpr int kLayerRole = Qt::UserRole + 1;
    // The check state the row last applied to its layer.
    static constexpr int kCheckRole = Qt::UserRole + 2;
    // Side of the square thumbnails.
    static constexpr int kThumbnailSide = 64;

    // `thumbnail` is one drawn before, kept when rows are rebuilt.
    LayerRow(Layer *pLayer, const QPixmap &thumbnail = QPixmap());
    QVariant data(int iRole) const override;
    // The pixels changed: drawn again when next shown.
    void Forget();
    QPixmap Cached() const { return m_thumbnail; }
    // The layer of a row made by this class; null for none.
    static Layer *LayerOf(const QStandardItem *pItem);

    // Size of the image inside a thumbnail (64 on the long side).
    static QSize ThumbnailSize(const QSize &imageSize);
    // A layer's picture: its pixels scaled to fit a square over the
    // transparency checkerboard, so every row has the same height.
    static QPixmap Thumbnail(const QImage &image);

private:
    static QPixmap TextIcon();

    Layer *m_pLayer;
    mutable QPixmap m_thumbnail;
};
