#pragma once
#include <QCursor>
#include <QImage>

class ChildWindow;
class Document;
class PixmapLayer;
class QString;
class QWidget;

// What the painting tools share: finding the layer a press paints on, and
// the cursors that outline what a dab will cover at the current zoom.
namespace PaintToolSupport {

// The document's current raster layer, or null. A text layer gets the
// "Woah, bucko." warning; no document or no layer stays silent.
PixmapLayer *RasterForPainting(ChildWindow *pWindow);
// The same for a document, the warning shown over pParent.
PixmapLayer *RasterForPainting(Document *pDocument, QWidget *pParent);
// Ends the document's painting and, when the stroke changed something,
// records it as "<operation> - <layer name>".
void FinishStroke(Document *pDocument, const QString &operation, bool bChanged = true);
// The outline of the tip's opaque part, scaled by the zoom, drawn black
// under white; the hot spot in the middle.
QCursor TipOutlineCursor(const QImage &tip, double dZoom);
// A round outline of the given diameter at the zoom.
QCursor RoundCursor(int iDiameter, double dZoom);

} // namespace PaintToolSupport
