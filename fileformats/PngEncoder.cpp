#include "PngEncoder.h"
#include "PngChunks.h"
#include "PngFilter.h"

#include <QIODevice>
#include <QtEndian>
#include <libdeflate.h>
#include <zlib.h>

#include <atomic>
#include <cstring>
#include <memory>
#include <new>
#include <system_error>
#include <thread>
#include <vector>

static_assert(Q_BYTE_ORDER == Q_LITTLE_ENDIAN, "ARGB32 is read as B, G, R, A bytes");

namespace PngEncoder {

namespace {

constexpr qsizetype kIdatChunk = 1 << 20;

QByteArray header(const QImage &image, int colorType)
{
    uchar ihdr[13];
    qToBigEndian<quint32>(quint32(image.width()), ihdr);
    qToBigEndian<quint32>(quint32(image.height()), ihdr + 4);
    ihdr[8] = 8;          // bits per sample
    ihdr[9] = uchar(colorType);
    ihdr[10] = ihdr[11] = ihdr[12] = 0; // deflate, adaptive filtering, not interlaced
    QByteArray out(PngChunks::kSignature, 8);
    PngChunks::Append(&out, "IHDR", ihdr, 13);
    return out;
}

// --- Stored (level 0) ---------------------------------------------------------

QByteArray encodeStored(const QImage &source)
{
    const QImage image = source.format() == QImage::Format_RGBA8888 ? source
                                                                    : source.convertToFormat(QImage::Format_RGBA8888);
    if (image.isNull())
        return QByteArray();
    const qsizetype rowBytes = qsizetype(image.width()) * 4;
    const qsizetype raw = (rowBytes + 1) * image.height();
    QByteArray out = header(image, 6);
    // Stored deflate adds 5 bytes per 64 KiB block; reserve it all at once.
    out.reserve(raw + raw / 65535 * 5 + raw / kIdatChunk * 12 + 1024);

    z_stream stream{};
    if (deflateInit(&stream, Z_NO_COMPRESSION) != Z_OK)
        return QByteArray();
    std::vector<uchar> idat(kIdatChunk);
    stream.next_out = idat.data();
    stream.avail_out = uInt(kIdatChunk);
    auto step = [&](int flush) {
        if (stream.avail_out == 0) {
            PngChunks::Append(&out, "IDAT", idat.data(), kIdatChunk);
            stream.next_out = idat.data();
            stream.avail_out = uInt(kIdatChunk);
        }
        return deflate(&stream, flush);
    };
    uchar filter = PngFilter::None;
    for (int y = 0; y < image.height(); ++y) {
        stream.next_in = &filter;
        stream.avail_in = 1;
        while (stream.avail_in > 0)
            step(Z_NO_FLUSH);
        stream.next_in = const_cast<uchar *>(image.constScanLine(y));
        stream.avail_in = uInt(rowBytes);
        while (stream.avail_in > 0)
            step(Z_NO_FLUSH);
    }
    int status;
    do
        status = step(Z_FINISH);
    while (status == Z_OK);
    const qsizetype pending = kIdatChunk - stream.avail_out;
    deflateEnd(&stream);
    if (status != Z_STREAM_END)
        return QByteArray();
    if (pending > 0)
        PngChunks::Append(&out, "IDAT", idat.data(), pending);
    PngChunks::Append(&out, "IEND", nullptr, 0);
    return out;
}

// --- Compressed ------------------------------------------------------------------

// The distinct colours of an image when there are at most 256 of them, in
// a small open-addressed table, and whether every pixel is opaque.
class ColourTable {
public:
    // Index of the colour, adding it; -1 once more than 256 were seen.
    int Find(quint32 c)
    {
        quint32 slot = (c * 2654435761u) >> (32 - kBits);
        for (;;) {
            if (m_indices[slot] == 0) {
                if (m_colours.size() == 256)
                    return -1;
                m_colours.push_back(c);
                m_keys[slot] = c;
                m_indices[slot] = quint16(m_colours.size());
                return int(m_colours.size()) - 1;
            }
            if (m_keys[slot] == c)
                return m_indices[slot] - 1;
            slot = (slot + 1) & (kSize - 1);
        }
    }
    // Puts the colours in their final order and renumbers the table.
    void Reorder(const std::vector<quint32> &order)
    {
        m_colours.clear();
        std::fill(std::begin(m_indices), std::end(m_indices), quint16(0));
        for (quint32 c : order)
            Find(c);
    }
    const std::vector<quint32> &colours() const { return m_colours; }

private:
    static constexpr int kBits = 10;
    static constexpr quint32 kSize = 1u << kBits;
    quint32 m_keys[kSize];
    quint16 m_indices[kSize] = {}; // index + 1, 0 for an empty slot
    std::vector<quint32> m_colours;
};

struct Layout {
    int colorType = 6; // 6 RGBA, 2 RGB, 3 palette
    int bpp = 4;
    PngFilter::Type filter = PngFilter::Sub;
    std::unique_ptr<ColourTable> palette;
};

Layout analyse(const QImage &image)
{
    Layout layout;
    auto table = std::make_unique<ColourTable>();
    const int width = image.width(), height = image.height();
    bool bOpaque = true, bFew = true;
    quint32 last = ~reinterpret_cast<const quint32 *>(image.constScanLine(0))[0];
    int y = 0;
    // Colours (and opacity) until there are too many of them...
    for (; y < height && bFew; ++y) {
        const auto *line = reinterpret_cast<const quint32 *>(image.constScanLine(y));
        for (int x = 0; x < width; ++x) {
            const quint32 c = line[x];
            if (c == last)
                continue;
            last = c;
            bOpaque = bOpaque && (c >> 24) == 0xff;
            if (table->Find(c) < 0) {
                bFew = false;
                // The rest of this row still counts for opacity.
                for (int rest = x; rest < width && bOpaque; ++rest)
                    bOpaque = (line[rest] >> 24) == 0xff;
                break;
            }
        }
    }
    // ...then opacity alone, a row at a time.
    for (; y < height && bOpaque; ++y) {
        const auto *line = reinterpret_cast<const quint32 *>(image.constScanLine(y));
        quint32 alpha = 0xffffffffu;
        for (int x = 0; x < width; ++x)
            alpha &= line[x];
        bOpaque = (alpha >> 24) == 0xff;
    }
    if (bFew) {
        // Translucent entries first, so that the tRNS chunk stays short.
        std::vector<quint32> order;
        for (quint32 c : table->colours())
            if ((c >> 24) != 0xff)
                order.push_back(c);
        for (quint32 c : table->colours())
            if ((c >> 24) == 0xff)
                order.push_back(c);
        table->Reorder(order);
        layout.colorType = 3;
        layout.bpp = 1;
        layout.filter = PngFilter::None;
        layout.palette = std::move(table);
    } else if (bOpaque) {
        layout.colorType = 2;
        layout.bpp = 3;
    }
    return layout;
}

// One image row in the file's sample order.
void packRow(const Layout &layout, const quint32 *in, uchar *out, int width)
{
    switch (layout.colorType) {
    case 6:
        // 0xAARRGGBB to the bytes R, G, B, A: swap red and blue.
        for (int x = 0; x < width; ++x) {
            const quint32 c = in[x];
            const quint32 rgba = (c & 0xff00ff00u) | ((c >> 16) & 0xffu) | ((c & 0xffu) << 16);
            std::memcpy(out + 4 * x, &rgba, 4);
        }
        break;
    case 2:
        for (int x = 0; x < width; ++x, out += 3) {
            const quint32 c = in[x];
            out[0] = uchar(c >> 16);
            out[1] = uchar(c >> 8);
            out[2] = uchar(c);
        }
        break;
    default: {
        quint32 last = ~in[0];
        int index = 0;
        for (int x = 0; x < width; ++x) {
            if (in[x] != last) {
                last = in[x];
                index = layout.palette->Find(last);
            }
            out[x] = uchar(index);
        }
    }
    }
}

// Filters rows [y0, y1) into out, which holds (rowBytes + 1) per row.
void filterRows(const QImage &image, const Layout &layout, PngFilter::Type filter, int y0, int y1, uchar *out)
{
    const qsizetype rowBytes = qsizetype(image.width()) * layout.bpp;
    std::vector<uchar> current(static_cast<size_t>(rowBytes)), previous(static_cast<size_t>(rowBytes), 0);
    if (y0 > 0)
        packRow(layout, reinterpret_cast<const quint32 *>(image.constScanLine(y0 - 1)), previous.data(), image.width());
    for (int y = y0; y < y1; ++y) {
        packRow(layout, reinterpret_cast<const quint32 *>(image.constScanLine(y)), current.data(), image.width());
        uchar *row = out + qsizetype(y - y0) * (rowBytes + 1);
        row[0] = filter;
        PngFilter::Apply(filter, current.data(), previous.data(), row + 1, rowBytes, layout.bpp);
        current.swap(previous);
    }
}

// The filter that compresses a spread of sample rows best.
PngFilter::Type chooseFilter(const QImage &image, const Layout &layout, libdeflate_compressor *pCompressor)
{
    const int samples = qMin(image.height(), 24);
    const qsizetype rowBytes = qsizetype(image.width()) * layout.bpp;
    std::vector<uchar> rows(size_t((rowBytes + 1) * samples));
    std::vector<uchar> packed(libdeflate_zlib_compress_bound(pCompressor, rows.size()));
    PngFilter::Type best = PngFilter::Sub;
    size_t bestSize = ~size_t(0);
    for (PngFilter::Type filter : {PngFilter::Sub, PngFilter::Up, PngFilter::Paeth}) {
        for (int i = 0; i < samples; ++i) {
            const int y = int(qint64(i) * image.height() / samples);
            filterRows(image, layout, filter, y, y + 1, rows.data() + qsizetype(i) * (rowBytes + 1));
        }
        const size_t size = libdeflate_zlib_compress(pCompressor, rows.data(), rows.size(), packed.data(), packed.size());
        if (size > 0 && size < bestSize) {
            bestSize = size;
            best = filter;
        }
    }
    return best;
}

bool filterAll(const QImage &image, const Layout &layout, uchar *out, int iThreads)
{
    const qsizetype rowBytes = qsizetype(image.width()) * layout.bpp;
    const int height = image.height();
    // Threads only pay off for a few megabytes and more.
    const int parts = qBound(1, iThreads, qMax(1, int(rowBytes * height / (4 << 20))));
    std::atomic<bool> bFailed{false};
    auto part = [&](int y0, int y1) {
        try {
            filterRows(image, layout, layout.filter, y0, y1, out + qsizetype(y0) * (rowBytes + 1));
        } catch (const std::bad_alloc &) {
            bFailed = true;
        }
    };
    std::vector<std::thread> threads;
    int y0 = 0;
    for (int i = 0; i + 1 < parts; ++i) {
        const int y1 = int(qint64(height) * (i + 1) / parts);
        try {
            threads.emplace_back(part, y0, y1);
        } catch (const std::system_error &) {
            break; // no thread to be had: this one does the rest
        }
        y0 = y1;
    }
    part(y0, height);
    for (std::thread &thread : threads)
        thread.join();
    return !bFailed;
}

// The zlib stream in pieces, in order; written out as IDAT chunks without
// being joined first.
struct Piece {
    std::unique_ptr<uchar[]> bytes;
    size_t size = 0;
};
using Packed = std::vector<Piece>;

size_t packedSize(const Packed &packed)
{
    size_t size = 0;
    for (const Piece &piece : packed)
        size += piece.size;
    return size;
}

// The stream cut into chunks of kIdatChunk bytes as if it were one array.
void appendImageData(QByteArray *pOut, const Packed &packed)
{
    std::vector<uchar> chunk; // one that straddles pieces
    for (const Piece &piece : packed) {
        size_t at = 0;
        // Finish a chunk begun in an earlier piece.
        if (!chunk.empty()) {
            const size_t take = qMin(piece.size, size_t(kIdatChunk) - chunk.size());
            chunk.insert(chunk.end(), piece.bytes.get(), piece.bytes.get() + take);
            at = take;
            if (chunk.size() < size_t(kIdatChunk))
                continue;
            PngChunks::Append(pOut, "IDAT", chunk.data(), qsizetype(chunk.size()));
            chunk.clear();
        }
        for (; piece.size - at >= size_t(kIdatChunk); at += size_t(kIdatChunk))
            PngChunks::Append(pOut, "IDAT", piece.bytes.get() + at, kIdatChunk);
        chunk.assign(piece.bytes.get() + at, piece.bytes.get() + piece.size);
    }
    if (!chunk.empty())
        PngChunks::Append(pOut, "IDAT", chunk.data(), qsizetype(chunk.size()));
}

// Below this many filtered bytes one deflate stream on one thread is quick
// enough, and the bytes stay those of the single-stream writer.
constexpr size_t kSplitMinimum = size_t(8) << 20;

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

// The zlib stream of `size` bytes compressed as `parts` raw deflate pieces on
// as many threads, joined into one stream; empty when memory ran out. The
// pieces but the last are walked again to join them, so they are smaller.
Packed compressInParts(const uchar *data, size_t size, int iLevel, int parts)
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

QByteArray encodeCompressed(const QImage &source, int iLevel, int iThreads)
{
    const QImage image = source.format() == QImage::Format_ARGB32 ? source
                                                                  : source.convertToFormat(QImage::Format_ARGB32);
    if (image.isNull())
        return QByteArray();
    std::unique_ptr<libdeflate_compressor, decltype(&libdeflate_free_compressor)> compressor(
        libdeflate_alloc_compressor(iLevel), &libdeflate_free_compressor);
    if (!compressor)
        return QByteArray();
    Layout layout = analyse(image);
    if (layout.colorType != 3)
        layout.filter = chooseFilter(image, layout, compressor.get());

    const size_t filteredSize = size_t(qsizetype(image.width()) * layout.bpp + 1) * size_t(image.height());
    std::unique_ptr<uchar[]> filtered(new (std::nothrow) uchar[filteredSize]);
    if (!filtered)
        return QByteArray();
    if (!filterAll(image, layout, filtered.get(), iThreads))
        return QByteArray();
    Packed packed;
    if (iThreads > 1 && filteredSize >= kSplitMinimum) {
        packed = compressInParts(filtered.get(), filteredSize, iLevel, iThreads);
    } else {
        const size_t bound = libdeflate_zlib_compress_bound(compressor.get(), filteredSize);
        Piece whole;
        whole.bytes.reset(new uchar[bound]);
        whole.size = libdeflate_zlib_compress(compressor.get(), filtered.get(), filteredSize, whole.bytes.get(), bound);
        if (whole.size > 0)
            packed.push_back(std::move(whole));
    }
    filtered.reset();
    const size_t packedBytes = packedSize(packed);
    if (packedBytes == 0)
        return QByteArray();

    QByteArray out = header(image, layout.colorType);
    out.reserve(out.size() + qsizetype(packedBytes) + qsizetype(packedBytes) / kIdatChunk * 12 + 1024 + 3 * 256 * 2);
    if (layout.palette) {
        const std::vector<quint32> &colours = layout.palette->colours();
        QByteArray plte, trns;
        for (quint32 c : colours) {
            plte.append(char(c >> 16)).append(char(c >> 8)).append(char(c));
            if ((c >> 24) != 0xff)
                trns.append(char(c >> 24));
        }
        PngChunks::Append(&out, "PLTE", reinterpret_cast<const uchar *>(plte.constData()), plte.size());
        if (!trns.isEmpty())
            PngChunks::Append(&out, "tRNS", reinterpret_cast<const uchar *>(trns.constData()), trns.size());
    }
    appendImageData(&out, packed);
    PngChunks::Append(&out, "IEND", nullptr, 0);
    return out;
}

} // namespace

QByteArray Encode(const QImage &image, int iLevel, int iThreads)
{
    if (image.isNull())
        return QByteArray();
    try {
        if (iLevel <= kStored)
            return encodeStored(image);
        return encodeCompressed(image, qMin(iLevel, kMaxLevel), iThreads);
    } catch (const std::bad_alloc &) {
        return QByteArray();
    }
}

bool Write(const QImage &image, QIODevice *pDevice)
{
    const QByteArray bytes = Encode(image, kStored);
    return !bytes.isEmpty() && pDevice->write(bytes) == bytes.size();
}

int LevelForQuality(int iQuality)
{
    return 1 + (100 - qBound(0, iQuality, 100)) * (kMaxLevel - 1) / 100;
}

} // namespace PngEncoder
