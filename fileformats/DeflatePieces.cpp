#include "DeflatePieces.h"

#include <QtEndian>
#include <libdeflate.h>
#include <zlib.h>

#include <atomic>
#include <new>
#include <system_error>
#include <thread>

namespace DeflatePieces {

namespace {

// Turns a complete raw deflate stream into a middle piece of a longer one:
// walks its blocks (zlib stops at each boundary), clears the last block's
// final bit, then appends an empty stored block so that the next piece starts
// on a byte boundary, the same bytes zlib's sync flush writes.
// `stream` has room for five more bytes; `pSize` grows by what is appended.
bool makeNonFinal(uchar *stream, size_t *pSize)
{
    z_stream z{};
    if (inflateInit2(&z, -15) != Z_OK)
        return false;
    std::vector<uchar> scratch(1 << 16); // the output is thrown away; zlib keeps its own window
    z.next_in = stream;
    z.avail_in = uInt(*pSize);
    qint64 lastHeader = 0;
    int spareBits = -1;
    int status;
    do {
        z.next_out = scratch.data();
        z.avail_out = uInt(scratch.size());
        status = inflate(&z, Z_BLOCK);
        // At a block boundary: before a header still unread, or after the
        // final block (zlib drops the padding bits only after that).
        if ((z.data_type & 128) && !(z.data_type & 64))
            lastHeader = qint64(z.total_in) * 8 - (z.data_type & 7);
        else if ((z.data_type & 128) && spareBits < 0)
            spareBits = z.data_type & 7;
    } while (status == Z_OK);
    const bool bWhole = status == Z_STREAM_END && z.avail_in == 0 && spareBits >= 0;
    inflateEnd(&z);
    if (!bWhole)
        return false;
    stream[lastHeader / 8] &= uchar(~(1u << (lastHeader % 8)));
    // The stored block's three header bits fit in the zero padding, or take a byte.
    if (spareBits < 3)
        stream[(*pSize)++] = 0;
    for (uchar b : {0x00, 0x00, 0xff, 0xff})
        stream[(*pSize)++] = b;
    return true;
}

} // namespace

size_t TotalSize(const Packed &packed)
{
    size_t size = 0;
    for (const Piece &piece : packed)
        size += piece.size;
    return size;
}

Packed CompressInParts(const uchar *data, size_t size, int iLevel, int parts)
{
    // Compressing costs about 1.5 times the walk: share the time evenly.
    const double middleWeight = 1.0 / 2.5, lastWeight = 1.0 / 1.5;
    const double unit = double(size) / (middleWeight * (parts - 1) + lastWeight);
    std::vector<size_t> starts(size_t(parts) + 1, size);
    for (int i = 0; i < parts; ++i)
        starts[size_t(i)] = size_t(unit * middleWeight * i);
    Packed pieces(static_cast<size_t>(parts) + 2);
    std::vector<quint32> sums(static_cast<size_t>(parts), 1);
    std::atomic<bool> bFailed{false};
    auto piece = [&](int i) {
        try {
            std::unique_ptr<libdeflate_compressor, decltype(&libdeflate_free_compressor)> compressor(
                libdeflate_alloc_compressor(iLevel), &libdeflate_free_compressor);
            const uchar *in = data + starts[size_t(i)];
            const size_t n = starts[size_t(i) + 1] - starts[size_t(i)];
            if (!compressor) {
                bFailed = true;
                return;
            }
            Piece &out = pieces[size_t(i) + 1];
            const size_t bound = libdeflate_deflate_compress_bound(compressor.get(), n);
            out.bytes.reset(new uchar[bound + 5]);
            out.size = libdeflate_deflate_compress(compressor.get(), in, n, out.bytes.get(), bound);
            sums[size_t(i)] = libdeflate_adler32(1, in, n);
            if (out.size == 0 || (i + 1 < parts && !makeNonFinal(out.bytes.get(), &out.size)))
                bFailed = true;
        } catch (const std::bad_alloc &) {
            bFailed = true;
        }
    };
    std::vector<std::thread> threads;
    for (int i = 1; i < parts; ++i) {
        try {
            threads.emplace_back(piece, i);
        } catch (const std::system_error &) {
            piece(i); // no thread to be had: this one does it
        }
    }
    piece(0);
    for (std::thread &thread : threads)
        thread.join();
    if (bFailed)
        return Packed();
    uLong adler = sums[0];
    for (int i = 1; i < parts; ++i)
        adler = adler32_combine(adler, sums[size_t(i)], z_off_t(starts[size_t(i) + 1] - starts[size_t(i)]));
    // The header libdeflate writes for the same level, and the checksum.
    Piece &head = pieces.front();
    head.bytes.reset(new uchar[2]{0x78, uchar(iLevel < 2 ? 0x01 : iLevel < 6 ? 0x5e : iLevel == 6 ? 0x9c : 0xda)});
    head.size = 2;
    Piece &tail = pieces.back();
    tail.bytes.reset(new uchar[4]);
    qToBigEndian<quint32>(quint32(adler), tail.bytes.get());
    tail.size = 4;
    return pieces;
}

} // namespace DeflatePieces
