#pragma once
// Where a filter's result meets the layer. The window's previews, its
// immediate filters and `cqtool filter` all land results through here, so
// they give the same pixels.
#include <QImage>
#include <QPoint>
#include <QRegion>

namespace FilterLanding {

// The layer image after a filter. Inside the selection the result replaces
// the original pixels; outside nothing changes. With a feathered selection
// `mask` (canvas-sized, coverage in alpha) result and original mix by the
// mask instead of the region. No selection and no mask: the whole result.
// `selection` and `mask` are in canvas coordinates; `layerOffset` is where
// the layer's top-left corner sits on the canvas. Both images are 32-bit
// ARGB of one size; the returned image is too.
QImage Land(const QImage &original, const QImage &result, const QRegion &selection, const QImage &mask = QImage(),
            const QPoint &layerOffset = QPoint());

// One pixel of a feathered landing: `coverage` 0 keeps the original, 255
// takes the result; between, colours mix weighted by their alpha (colour is
// kept where both are fully transparent).
quint32 Mix(quint32 original, quint32 result, int coverage);

// Same size, format and pixels (a step that changed nothing is not undoable).
bool SamePixels(const QImage &a, const QImage &b);

} // namespace FilterLanding
