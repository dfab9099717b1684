#pragma once
// Where a filter's result meets the layer. The window's previews, its
// immediate filters and `cqtool filter` all land results through here, so
// they give the same pixels.
#include <QImage>
#include <QPoint>
#include <QRegion>

namespace FilterLanding {

// The image after a filter, as the document's painting protocol lands it
// (the same pixel operation). Inside the selection the result replaces the
// original pixels; outside nothing changes. With a feathered selection
// `mask` (coverage in alpha) result and original mix by the mask instead of
// the region. No selection and no mask: the whole result. All in one
// coordinate space; the returned image is 32-bit ARGB like the inputs.
QImage Land(const QImage &original, const QImage &result, const QRegion &selection, const QImage &mask = QImage());

// Same size, format and pixels (a step that changed nothing is not undoable).
bool SamePixels(const QImage &a, const QImage &b);

} // namespace FilterLanding
