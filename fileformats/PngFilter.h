#pragma once
#include <QtGlobal>

// The five PNG row filters. A filtered row predicts each byte from the byte
// one pixel to the left (a), the byte above (b) and the byte above-left (c);
// bpp is the number of bytes per pixel (1, 3 or 4 here).
namespace PngFilter {

enum Type : uchar { None = 0, Sub = 1, Up = 2, Average = 3, Paeth = 4 };

// out[i] = row[i] - prediction; prev is the previous row (all zeros for the
// first row). out must not overlap row or prev.
void Apply(Type type, const uchar *row, const uchar *prev, uchar *out, qsizetype bytes, int bpp);

// The inverse, in place: row holds filtered bytes and comes back as pixels.
// False for an unknown filter type.
bool Undo(uchar type, uchar *row, const uchar *prev, qsizetype bytes, int bpp);

} // namespace PngFilter
