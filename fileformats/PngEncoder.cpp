#include "PngEncoder.h"
#include "DeflatePieces.h"
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

using DeflatePieces::Packed;
using DeflatePieces::Piece;

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
        packed = DeflatePieces::CompressInParts(filtered.get(), filteredSize, iLevel, iThreads);
    } else {
        const size_t bound = libdeflate_zlib_compress_bound(compressor.get(), filteredSize);
        Piece whole;
        whole.bytes.reset(new uchar[bound]);
        whole.size = libdeflate_zlib_compress(compressor.get(), filtered.get(), filteredSize, whole.bytes.get(), bound);
        if (whole.size > 0)
            packed.push_back(std::move(whole));
    }
    filtered.reset();
    const size_t packedBytes = DeflatePieces::TotalSize(packed);
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
