#pragma once
#include <QPainterPath>
#include <QRegion>

// The outline of a region as closed polygons, one per boundary (holes
// included), traced from the region's rectangles in time proportional to
// their number. Filled with the odd-even rule it covers exactly the region's
// pixels. A path simplifier would take minutes on the hundreds of thousands
// of rectangles a magic-wand selection of a photograph can have.
namespace RegionOutline {

QPainterPath Path(const QRegion &region);

} // namespace RegionOutline
