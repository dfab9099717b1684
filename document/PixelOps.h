#pragma once
#include <QImage>
#include <QPoint>
#include <QRect>
#include <QRegion>

#include <functional>

class QPainter;

// Pixel arithmetic on straight (not premultiplied) ARGB32 layers. The painter
// would round every pixel it passes through premultiplied form, which eats
// the colour of translucent pixels; these only touch what they change.
namespace PixelOps {

// Copies src's part `area` to dst at area.topLeft() - dstOrigin. Same format
// on both sides; parts outside either image are skipped.
void Copy(const QImage &src, QImage &dst, const QRect &area, const QPoint &dstOrigin = QPoint());

// dst = over(stroke, base) in `area` (coordinates of stroke and base, which
// share them), written to dst at area.topLeft() - dstOrigin. stroke is
// premultiplied, base and dst straight ARGB32. Where the stroke is
// transparent the base pixel is written unchanged.
void Over(const QImage &stroke, const QImage &base, QImage &dst, const QRect &area,
          const QPoint &dstOrigin = QPoint());

// dst = base with its alpha taken away by the stroke's alpha (coverage) in
// `area`; colours stay. Same coordinates and formats as Over().
void Erase(const QImage &stroke, const QImage &base, QImage &dst, const QRect &area,
           const QPoint &dstOrigin = QPoint());

// Scales the premultiplied pixels of `area` of src by the alpha of mask
// (same coordinates; outside the mask counts as 0) into dst's same area.
void MultiplyByMask(const QImage &src, const QImage &mask, QImage &dst, const QRect &area);

// dst = base with `result` in its place inside the selection: where the
// mask is given, mixed by the mask's alpha (premultiplied mix, so colour
// does not bleed from transparent pixels); else wherever `region` holds
// (everywhere when it is empty). result and base are straight ARGB32 in the
// same coordinates; dst gets `area` at area.topLeft() - dstOrigin.
void Replace(const QImage &result, const QImage &base, QImage &dst, const QRect &area, const QRegion &region,
             const QImage *pMask, const QPoint &dstOrigin = QPoint());

// Lets a painter draw on straight pixels: the drawing happens on a
// premultiplied copy, and every pixel the drawing left alone keeps its exact
// straight value instead of the rounded one.
QImage PaintOnStraight(const QImage &straight, const std::function<void(QPainter &)> &draw);

// One straight pixel over another (the stroke premultiplied).
quint32 OverPixel(quint32 strokePm, quint32 base);
// Base and result mixed by m (0 base .. 255 result), both straight.
quint32 MixPixel(quint32 base, quint32 result, int m);

} // namespace PixelOps
