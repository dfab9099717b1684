#pragma once
#include <QtGlobal>

#include <memory>
#include <vector>

// A zlib stream made of raw deflate pieces compressed side by side on several
// threads. Each piece but the last ends on a byte boundary with a non-final
// block, as a sync flush leaves it, so the pieces written one after the other
// are one valid stream that any reader inflates.
namespace DeflatePieces {

// The stream in pieces, in order; written out without being joined first.
struct Piece {
    std::unique_ptr<uchar[]> bytes;
    size_t size = 0;
};
using Packed = std::vector<Piece>;

size_t TotalSize(const Packed &packed);

// The zlib stream of `size` bytes compressed as `parts` raw deflate pieces on
// as many threads, with the zlib header first and the joined checksum last;
// empty when memory ran out. The pieces but the last are walked again to
// join them, so they are smaller.
Packed CompressInParts(const uchar *data, size_t size, int iLevel, int parts);

} // namespace DeflatePieces
