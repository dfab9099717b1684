#pragma once
#include <QByteArray>
#include <QSize>

// Walks a PNG's chunks before the decoder sees them, for readers of files
// that embed PNG images.
namespace PngChunks {

// Looks at one PNG at the start of the `size` bytes at `data`: the signature,
// then chunks that each fit in the bytes there are, IHDR first, up to and
// including IEND. Returns how many bytes the PNG takes, or -1 when it is not
// one. *pClean receives only the chunks that make the pixels (IHDR, PLTE,
// tRNS, IDAT, IEND): ancillary chunks can ask the decoder for large buffers
// of their own and no reader needs them. *pSize receives the IHDR size, or
// (-1, -1) when it is beyond ImageFile's limits.
qsizetype Scan(const char *data, qsizetype size, QByteArray *pClean, QSize *pSize);

} // namespace PngChunks
