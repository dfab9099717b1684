#include "FloatingPicture.h"

#include "ImageFile.h"
#include "PixelOps.h"
#include "PixmapLayer.h"

#include <QPainter>

#include <cmath>

namespace {

inline quint32 *rowOf(QImage &image, int y)
{
    return reinterpret_cast<quint32 *>(image.scanLine(y));
}

inline const quint32 *rowOf(const QImage &image, int y)
{
    return reinterpret_cast<const quint32 *>(image.constScanLine(y));
}

// The lifted share of a pixel's alpha under a mask value.
inline int liftedAlpha(quint32 pixel, int m)
{
    return (int(pixel >> 24) * m + 127) / 255;
}

// One straight pixel over another, exact where either side is opaque or
// empty, so that moving pixels by whole steps copies them unchanged.
inline quint32 straightOver(quint32 s, quint32 d)
{
    const quint32 sa = s >> 24;
    if (sa == 0)
        return d;
    if (sa == 255 || (d >> 24) == 0)
        return s;
    return PixelOps::OverPixel(qPremultiply(s), d);
}

// The mask's alpha at a canvas point (0 outside it).
inline int maskAt(const QImage &mask, int x, int y)
{
    if (x < 0 || y < 0 || x >= mask.width() || y >= mask.height())
        return 0;
    return int(rowOf(mask, y)[x] >> 24);
}

QRect maskBounds(const QImage &mask)
{
    int left = mask.width(), right = -1, top = mask.height(), bottom = -1;
    for (int y = 0; y < mask.height(); ++y) {
        const quint32 *row = rowOf(mask, y);
        for (int x = 0; x < mask.width(); ++x)
            if (row[x] >> 24) {
                left = qMin(left, x);
                right = qMax(right, x);
                top = qMin(top, y);
                bottom = y;
            }
    }
    return right < 0 ? QRect() : QRect(QPoint(left, top), QPoint(right, bottom));
}

} // namespace

QPoint FloatingPicture::LayerOrigin() const
{
    const QPointF pos = m_pLayer->pos();
    return QPoint(int(pos.x()), int(pos.y()));
}

bool FloatingPicture::Lift(PixmapLayer *pLayer, const QRegion &region, const QImage *pMask)
{
    End();
    if (!pLayer)
        return false;
    m_pLayer = pLayer;
    const QPoint origin = LayerOrigin();
    const QRect layerRect = pLayer->image().rect().translated(origin);
    if (pMask && !pMask->isNull()) {
        m_mask = pMask->convertToFormat(QImage::Format_ARGB32_Premultiplied);
        m_source = maskBounds(m_mask).intersected(layerRect);
        m_region = QRegion(m_source);
    } else {
        m_region = region.intersected(layerRect);
        m_source = m_region.boundingRect();
    }
    if (m_source.isEmpty()) {
        End();
        return false;
    }
    m_backup = pLayer->image();
    m_picture = QImage(m_source.size(), QImage::Format_ARGB32);
    m_picture.fill(0);
    QImage &pixels = pLayer->image();
    const QImage &before = m_backup;
    if (m_mask.isNull()) {
        for (const QRect &r : m_region)
            for (int y = r.top(); y <= r.bottom(); ++y) {
                const quint32 *src = rowOf(before, y - origin.y()) - origin.x();
                quint32 *hole = rowOf(pixels, y - origin.y()) - origin.x();
                quint32 *pic = rowOf(m_picture, y - m_source.top()) - m_source.left();
                for (int x = r.left(); x <= r.right(); ++x) {
                    pic[x] = src[x];
                    hole[x] = src[x] & 0x00ffffffu; // colour kept, alpha gone
                }
            }
    } else {
        for (int y = m_source.top(); y <= m_source.bottom(); ++y) {
            const quint32 *src = rowOf(before, y - origin.y()) - origin.x();
            quint32 *hole = rowOf(pixels, y - origin.y()) - origin.x();
            quint32 *pic = rowOf(m_picture, y - m_source.top()) - m_source.left();
            const quint32 *mask = rowOf(m_mask, y);
            for (int x = m_source.left(); x <= m_source.right(); ++x) {
                const int lifted = liftedAlpha(src[x], int(mask[x] >> 24));
                const quint32 colour = src[x] & 0x00ffffffu;
                pic[x] = colour | (quint32(lifted) << 24);
                hole[x] = colour | (quint32(int(src[x] >> 24) - lifted) << 24);
            }
        }
    }
    pLayer->update(QRectF(m_source.translated(-origin)));
    return true;
}

bool FloatingPicture::HoleIntact() const
{
    if (!m_pLayer || m_pLayer->image().size() != m_backup.size())
        return false;
    const QImage &pixels = m_pLayer->image();
    const QPoint origin = LayerOrigin();
    for (int y = m_source.top(); y <= m_source.bottom(); ++y) {
        const quint32 *src = rowOf(m_backup, y - origin.y()) - origin.x();
        const quint32 *now = rowOf(pixels, y - origin.y()) - origin.x();
        for (int x = m_source.left(); x <= m_source.right(); ++x) {
            quint32 expected = src[x];
            if (!m_mask.isNull())
                expected = (src[x] & 0x00ffffffu)
                           | (quint32(int(src[x] >> 24) - liftedAlpha(src[x], maskAt(m_mask, x, y))) << 24);
            else if (m_region.contains(QPoint(x, y)))
                expected = src[x] & 0x00ffffffu;
            if (now[x] != expected)
                return false;
        }
    }
    return true;
}

QTransform FloatingPicture::Placement(const QSize &pictureSize, const QRect &box, double dDegrees)
{
    const double sx = pictureSize.width() > 0 ? double(box.width()) / pictureSize.width() : 1.0;
    const double sy = pictureSize.height() > 0 ? double(box.height()) / pictureSize.height() : 1.0;
    const QPointF centre = QRectF(box).center();
    QTransform rotation;
    rotation.translate(centre.x(), centre.y());
    rotation.rotate(dDegrees);
    rotation.translate(-centre.x(), -centre.y());
    return QTransform::fromScale(sx, sy) * QTransform::fromTranslate(box.x(), box.y()) * rotation;
}

bool FloatingPicture::IsShift(const QRect &box, double dDegrees) const
{
    return box.size() == m_source.size() && std::fmod(dDegrees, 360.0) == 0.0;
}

QRegion FloatingPicture::PlacedRegion(const QRect &box, double dDegrees) const
{
    const QRegion lifted = m_region.translated(-m_source.topLeft());
    if (IsShift(box, dDegrees))
        return lifted.translated(box.topLeft());
    return Placement(m_source.size(), box, dDegrees).map(lifted);
}

QRect FloatingPicture::LandOn(QImage &pixels, QPointF &pos, const QImage &picture, const QRect &box, double dDegrees)
{
    const bool bShift = box.size() == picture.size() && std::fmod(dDegrees, 360.0) == 0.0;
    const QTransform placement = Placement(picture.size(), box, dDegrees);
    const QRect placed = bShift ? box : placement.mapRect(QRectF(picture.rect())).toAlignedRect();
    QPoint origin(int(pos.x()), int(pos.y()));
    QRect layerRect = pixels.rect().translated(origin);
    // Pixels put beyond the layer's edge (off the canvas, say) still belong
    // to it: the layer grows to hold them rather than cutting them off.
    const QRect grown = layerRect.united(placed);
    if (grown != layerRect && ImageFile::Fits(grown.width(), grown.height())) {
        QImage larger(grown.size(), QImage::Format_ARGB32);
        larger.fill(0);
        PixelOps::Copy(pixels, larger, pixels.rect(), grown.topLeft() - origin);
        pixels = larger;
        pos += QPointF(grown.topLeft() - origin);
        origin = grown.topLeft();
        layerRect = grown;
    }
    QRect changed;
    if (bShift) {
        // Moved by whole pixels: the pixels themselves, not a resampling.
        changed = box.intersected(layerRect);
        for (int y = changed.top(); y <= changed.bottom(); ++y) {
            const quint32 *pic = rowOf(picture, y - box.top()) - box.left();
            quint32 *dst = rowOf(pixels, y - origin.y()) - origin.x();
            for (int x = changed.left(); x <= changed.right(); ++x)
                dst[x] = straightOver(pic[x], dst[x]);
        }
    } else {
        changed = placed.intersected(layerRect);
        if (!changed.isEmpty()) {
            // Resampled premultiplied, so transparent pixels lend no colour.
            QImage drawn(changed.size(), QImage::Format_ARGB32_Premultiplied);
            drawn.fill(0);
            {
                QPainter painter(&drawn);
                painter.setRenderHints(QPainter::SmoothPixmapTransform | QPainter::Antialiasing);
                painter.setTransform(placement * QTransform::fromTranslate(-changed.x(), -changed.y()));
                painter.drawImage(0, 0, picture.convertToFormat(QImage::Format_ARGB32_Premultiplied));
            }
            for (int y = changed.top(); y <= changed.bottom(); ++y) {
                const quint32 *src = rowOf(drawn, y - changed.top()) - changed.left();
                quint32 *dst = rowOf(pixels, y - origin.y()) - origin.x();
                for (int x = changed.left(); x <= changed.right(); ++x)
                    dst[x] = PixelOps::OverPixel(src[x], dst[x]);
            }
        }
    }
    return changed;
}

std::function<void(QImage &, QPointF &)> FloatingPicture::Landing(const QRect &box, double dDegrees) const
{
    const QImage picture = m_picture;
    return [picture, box, dDegrees](QImage &pixels, QPointF &pos) { LandOn(pixels, pos, picture, box, dDegrees); };
}

QRect FloatingPicture::Commit(const QRect &box, double dDegrees)
{
    if (!m_pLayer)
        return QRect();
    // Taken out of the layer, so it is changed in place and not copied.
    QImage pixels = std::move(m_pLayer->image());
    QPointF pos = m_pLayer->pos();
    const QSize size = pixels.size();
    const QRect changed = LandOn(pixels, pos, m_picture, box, dDegrees);
    if (pixels.size() != size || pos != m_pLayer->pos()) {
        m_pLayer->setImage(pixels);
        m_pLayer->setPos(pos);
        m_pLayer->update();
    } else {
        m_pLayer->image() = std::move(pixels);
    }
    m_pLayer->update(QRectF(changed.translated(-QPoint(int(pos.x()), int(pos.y())))));
    End();
    return changed;
}

void FloatingPicture::Restore()
{
    if (!m_pLayer)
        return;
    const QImage backup = m_backup;
    PixmapLayer *pLayer = m_pLayer;
    End();
    pLayer->setImage(backup);
    pLayer->update();
}

void FloatingPicture::Drop()
{
    End();
}

void FloatingPicture::End()
{
    m_pLayer = nullptr;
    m_backup = QImage();
    m_picture = QImage();
    m_mask = QImage();
    m_source = QRect();
    m_region = QRegion();
}
