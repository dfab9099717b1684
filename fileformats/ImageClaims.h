#pragma once
#include <QByteArray>
#include <QSize>
#include <QString>

// What a flat image file's header claims, read before any decoder sees it:
// the size, so that "too large" is said from the header whatever a decoder
// makes of it, and whether the data that follows can possibly hold that
// many pixels. No real encoder packs pixels tighter than its format allows
// (a deflate stream 1032 to 1, LZW a few thousand to 1, a run-length packet
// a few hundred to 1), so a file whose data is far too short for its size is
// damaged or crafted; the toolkit's decoders would otherwise spend seconds
// and gigabytes drawing nothing where the data ran out.
namespace ImageClaims {

struct Claim {
    QSize size;            // invalid when the header does not give one
    qint64 dataBytes = 0;  // how much coded data follows the header
    qint64 minimumData = 0; // the least data that can make `size`
    QString damage;         // what is wrong with the data's structure, if anything
};

// The claim of a BMP, GIF, MNG, PBM/PGM/PPM file, or a TGA or WBMP file when
// the toolkit's reader took it for one (format); JPEG and PNG have their own
// checks. An invalid size for any other format (TIFF, WebP and the icon
// formats, whose codes can be that compact for real).
Claim Read(const QByteArray &bytes, const QByteArray &format);

// A sentence for the user: "too large" for sizes beyond the editor's
// limits, "damaged" for sizes with a side of nothing; empty when it fits.
QString SizeProblem(const QSize &size);

} // namespace ImageClaims
