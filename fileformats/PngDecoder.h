#pragma once
#include <QByteArray>
#include <QImage>
#include <QString>

// Decodes PNG images to straight ARGB32 exactly as libpng's own decoder
// does with its expanding transformations: palettes and tRNS become alpha
// (out-of-range palette indices read as opaque black), low bit depths and
// grey become 8-bit RGB, 16-bit samples are scaled to 8 bits with rounding,
// and gamma and colour-profile chunks are not applied.
//
// The chunks are checked first (PngChunks). Ordinary 8-bit, non-interlaced
// images are inflated in one piece into the image's own buffer and unfiltered
// there; everything else goes through libpng row by row. Either way the peak
// stays near one copy of the image besides the file.
namespace PngDecoder {

enum class Status { Ok, NotPng, Damaged, TooLarge, NoMemory };

struct Result {
    QImage image;   // ARGB32; null unless status is Ok
    Status status = Status::Damaged;
    QString reason; // for the user, when status is not Ok
};

Result Decode(const QByteArray &png);

// The same through libpng alone (also what Decode falls back to).
Result DecodeWithLibpng(const QByteArray &png);

// The image at 1/factor of its size (sides rounded up): each pixel is the
// mean of a factor x factor block (edge blocks of what is there), averaged
// by alpha so that transparent pixels lend no colour. Rows stream through
// libpng, so only the reduced image is ever held. Interlaced images are
// decoded whole first. Factor 1 is Decode.
Result DecodeReduced(const QByteArray &png, int iFactor);

} // namespace PngDecoder
