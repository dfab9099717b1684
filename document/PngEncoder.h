#pragma once
#include <QByteArray>
#include <QImage>

class QIODevice;

// A PNG writer for the two places that store pixels rather than publish them
// (the native file and the undo scratch files): 8-bit RGBA, no row filters,
// stored (uncompressed) deflate blocks. Any PNG reader decodes it; it is
// several times faster than the general encoder at its lowest compression
// because it skips the per-row filter search.
namespace PngEncoder {

// Straight (not premultiplied) RGBA of the image, whatever its format.
QByteArray Encode(const QImage &image);
bool Write(const QImage &image, QIODevice *pDevice);

} // namespace PngEncoder
