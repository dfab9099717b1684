#pragma once
#include <QByteArray>
#include <QImage>

class QIODevice;

// The PNG writer for everything the editor stores or exports.
//
// Level 0 is for the undo scratch files: 8-bit RGBA, unfiltered rows in
// stored deflate blocks, as fast as copying. Levels 1 to 12 compress (with
// libdeflate): the image is written as a palette when it has at most 256
// colours, as RGB when it is opaque, as RGBA otherwise, with the row filter
// that compresses a sample of its rows best. Pixels always come back exactly
// (straight, not premultiplied), whatever the level.
namespace PngEncoder {

constexpr int kStored = 0;
constexpr int kDocumentLevel = 1; // fast; what the native file uses
constexpr int kMaxLevel = 12;

// An empty array when the image is null or memory ran out. iThreads > 1
// splits the row filtering and the deflating of a large image over that many
// threads; the pieces are joined into the one zlib stream a PNG holds.
QByteArray Encode(const QImage &image, int iLevel = kDocumentLevel, int iThreads = 1);

// The stored encoding written to a device (the scratch files).
bool Write(const QImage &image, QIODevice *pDevice);

// The export preview's quality (0 to 100) as a level: PNG is lossless, so
// quality only trades time for size; 100 is the fastest.
int LevelForQuality(int iQuality);

} // namespace PngEncoder
