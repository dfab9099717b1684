#pragma once
// Helpers for tests that build documents: layer pixels as images and a
// fingerprint of a whole document's layer stack.
#include "ChildWindow.h"
#include "Document.h"
#include "GraphicsScene.h"
#include "Layer.h"
#include "PixmapLayer.h"
#include "ScratchDB.h"
#include "TestSupport.h"
#include "TextLayer.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>
#include <QStringList>
#include <QTextDocument>

namespace cqtest {

// Private settings and the shared scratch store in a folder of this
// process's own, as start-up sets them, for tests that build documents.
inline void startScratch()
{
    isolateSettings();
    static QTemporaryDir s_folder;
    cqtest::scratchStore().Init(s_folder.path(), 256 * 1024 * 1024);
}

// A transparent premultiplied image, the starting point of a composition.
inline QImage blank(QSize size)
{
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    return image;
}

// A layer's pixels as the window composes them (premultiplied).
inline QImage layerPixels(const PixmapLayer *pLayer)
{
    return pLayer->image().convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

// The picture over the window's checkerboard (20-pixel tiles, white and
// light grey), covering area.
inline QImage overCheckerboard(const QImage &picture, QSizeF area)
{
    QImage image = blank(picture.size());
    QPainter painter(&image);
    QPixmap tile(20, 20);
    {
        QPainter t(&tile);
        t.fillRect(0, 0, 20, 20, QColor(204, 204, 204));
        t.fillRect(0, 0, 10, 10, Qt::white);
        t.fillRect(10, 10, 10, 10, Qt::white);
    }
    painter.drawTiledPixmap(QRectF(QPointF(0, 0), area), tile);
    painter.drawImage(0, 0, picture);
    return image;
}

// What the window's scene shows of the canvas, or of area.
inline QImage scenePicture(ChildWindow &window, const QRect &area = QRect())
{
    // The scene grows its rectangle (and checkerboard) for moved items once
    // its queued update has run.
    QCoreApplication::processEvents();
    QImage image = blank(window.canvasSize());
    QPainter painter(&image);
    const QRectF r = area.isEmpty() ? QRectF(QPointF(0, 0), QSizeF(window.canvasSize())) : QRectF(area);
    window.scene()->render(&painter, r, r);
    return image;
}

// A layer's straight pixels where they lie on a canvas of the given size,
// transparent where the layer does not reach.
inline QImage onCanvas(const PixmapLayer *pLayer, QSize canvas)
{
    QImage out(canvas, QImage::Format_ARGB32);
    out.fill(0);
    const QImage pixels = pLayer->image().convertToFormat(QImage::Format_ARGB32);
    const QPoint origin = pLayer->pos().toPoint();
    for (int y = 0; y < canvas.height(); ++y)
        for (int x = 0; x < canvas.width(); ++x)
            if (pixels.rect().contains(QPoint(x, y) - origin))
                out.setPixel(x, y, pixels.pixel(QPoint(x, y) - origin));
    return out;
}

inline void setLayerPixels(PixmapLayer *pLayer, const QImage &image)
{
    pLayer->setImage(image);
    pLayer->update();
}

// A new raster layer on top holding the pixels, placed at pos.
inline PixmapLayer *addRasterLayer(Document *pDocument, const QImage &image, QPointF pos = {})
{
    auto *pLayer = static_cast<PixmapLayer *>(pDocument->CreateLayer(Layer::Raster));
    pLayer->setImage(image);
    pLayer->setPos(pos);
    pLayer->update();
    return pLayer;
}

// One line per layer, in list order: everything undo and redo must bring back.
inline QStringList fingerprint(const QList<Layer *> &layers)
{
    QStringList lines;
    for (const Layer *pLayer : layers) {
        QString content;
        if (pLayer->kind() == Layer::Raster) {
            const QImage &pixels = static_cast<const PixmapLayer *>(pLayer)->image();
            QCryptographicHash hash(QCryptographicHash::Sha1);
            hash.addData(QByteArrayView(reinterpret_cast<const char *>(pixels.constBits()), pixels.sizeInBytes()));
            content = QStringLiteral("%1x%2:").arg(pixels.width()).arg(pixels.height())
                      + QString::fromLatin1(hash.result().toHex());
        } else {
            content = static_cast<const TextLayer *>(pLayer)->document()->toHtml();
        }
        lines << QStringLiteral("del=%1 name=%2 kind=%3 z=%4 op=%5/%6 blend=%7 vis=%8 pos=%9,%10 %11")
                     .arg(pLayer->isDeleted()).arg(pLayer->name()).arg(pLayer->kind())
                     .arg(pLayer->zValue()).arg(pLayer->opacity()).arg(pLayer->opacityValue())
                     .arg(pLayer->blendingMode()).arg(pLayer->isVisible())
                     .arg(pLayer->pos().x()).arg(pLayer->pos().y()).arg(content);
    }
    return lines;
}

inline QStringList fingerprint(const Document *pDocument)
{
    return fingerprint(pDocument->GetLayers());
}

inline QStringList fingerprint(const ChildWindow *pWindow)
{
    return fingerprint(pWindow->GetLayers());
}

} // namespace cqtest
