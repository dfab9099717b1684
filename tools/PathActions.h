#pragma once
#include <QColor>
#include <QRegion>
#include <QSize>

class Document;
class Path;
class PixmapLayer;
class QPainterPath;

// What the paths list offers for a path: painting it onto a raster layer
// (through the painting protocol, so the selection holds; one undo step
// each) and making a selection of its inside.
namespace PathActions {

// The pixels whose centres lie inside the path, cut to the canvas.
QRegion Region(const QPainterPath &path, const QSize &canvas);

// A round pen of the colour and width along the path.
void Stroke(Document *pDocument, PixmapLayer *pLayer, const Path &path, const QColor &color, int iWidth);
// The path's inside (antialiased) in the colour.
void Fill(Document *pDocument, PixmapLayer *pLayer, const Path &path, const QColor &color);
// A selection command to the path's region.
void ToSelection(Document *pDocument, const Path &path);

} // namespace PathActions
