#include "PngDecoder.h"

#include "FileProblem.h"
#include "PngChunks.h"
#include "PngFilter.h"

#include <QtEndian>
#include <libdeflate.h>
#include <png.h>

#include <cstdlib>
#include <cstring>
#include <limits>
#include <memory>
#include <new>
#include <vector>

static_assert(Q_BYTE_ORDER == Q_LITTLE_ENDIAN, "ARGB32 is written as B, G, R, A bytes");

namespace PngDecoder {

namespace {

// Above this many bytes of pixels a reduced decode gives way to libpng's
// rows: only the filtered rows are held whole, so the limit keeps two
// decodes side by side well inside a thumbnailer's memory.
constexpr qint64 kReducedPlainLimit = qint64(64) << 20;

Result failure(Status status, const QString &reason)
{
    Result r;
    r.status = status;
    r.reason = reason;
    return r;
}

Result noMemory(const PngChunks::Header &h)
{
    return failure(Status::NoMemory, QStringLiteral("There is not enough memory for an image of %1 x %2 pixels.")
                                         .arg(h.width).arg(h.height));
}

// --- libpng, row by row ------------------------------------------------------

struct ReadState {
    const uchar *data;
    size_t size;
    size_t pos;
    char message[160];
};

void readBytes(png_structp png, png_bytep out, size_t n)
{
    auto *pState = static_cast<ReadState *>(png_get_io_ptr(png));
    if (n > pState->size - pState->pos)
        png_error(png, "the image is truncated");
    std::memcpy(out, pState->data + pState->pos, n);
    pState->pos += n;
}

[[noreturn]] void onError(png_structp png, png_const_charp message)
{
    auto *pState = static_cast<ReadState *>(png_get_error_ptr(png));
    qstrncpy(pState->message, message, sizeof pState->message);
    png_longjmp(png, 1);
}

void onWarning(png_structp, png_const_charp)
{
    // Recoverable oddities (benign errors included) are not the user's concern.
}

// Plain C style: nothing with a destructor lives across setjmp.
bool readRows(ReadState *pState, uchar *pBits, qsizetype stride, quint32 width, quint32 height)
{
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, pState, onError, onWarning);
    if (!png)
        return false;
    png_infop info = png_create_info_struct(png);
    auto **rows = static_cast<png_bytep *>(std::malloc(sizeof(png_bytep) * height));
    if (!info || !rows) {
        png_destroy_read_struct(&png, info ? &info : nullptr, nullptr);
        std::free(rows);
        qstrncpy(pState->message, "out of memory", sizeof pState->message);
        return false;
    }
    for (quint32 y = 0; y < height; ++y)
        rows[y] = pBits + qsizetype(y) * stride;
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_read_struct(&png, &info, nullptr);
        std::free(rows);
        return false;
    }
    png_set_read_fn(png, pState, readBytes);
    png_read_info(png, info);
    if (png_get_image_width(png, info) != width || png_get_image_height(png, info) != height)
        png_error(png, "the header changed");
    png_set_expand(png);
    png_set_scale_16(png);
    png_set_gray_to_rgb(png);
    png_set_bgr(png);
    png_set_filler(png, 0xff, PNG_FILLER_AFTER);
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
    if (png_get_rowbytes(png, info) != size_t(width) * 4)
        png_error(png, "unexpected row layout");
    png_read_image(png, rows);
    png_read_end(png, nullptr);
    png_destroy_read_struct(&png, &info, nullptr);
    std::free(rows);
    return true;
}

// Sums each factor x factor block of straight ARGB32 rows, then writes
// the block means into the reduced image.
class Reducer {
public:
    Reducer(QImage *pOut, quint32 width, int iFactor)
        : m_pOut(pOut), m_width(width), m_factor(quint32(iFactor)), m_sums(size_t(pOut->width()) * 4, 0)
    {
    }
    static void onRow(void *pSelf, const uchar *pRow) { static_cast<Reducer *>(pSelf)->Add(reinterpret_cast<const quint32 *>(pRow)); }
    void Add(const quint32 *pRow)
    {
        quint64 *pSum = m_sums.data();
        for (quint32 x0 = 0; x0 < m_width; x0 += m_factor, pSum += 4) {
            // One row of a block fits 32 bits: 255 * 255 * 32768 < 2^32.
            quint32 a = 0, r = 0, g = 0, b = 0;
            for (quint32 x = x0, end = qMin(m_width, x0 + m_factor); x < end; ++x) {
                const quint32 v = pRow[x], alpha = v >> 24;
                a += alpha;
                r += alpha * ((v >> 16) & 0xff);
                g += alpha * ((v >> 8) & 0xff);
                b += alpha * (v & 0xff);
            }
            pSum[0] += a;
            pSum[1] += r;
            pSum[2] += g;
            pSum[3] += b;
        }
        if (++m_rowsInBlock == m_factor)
            Flush();
    }
    void Flush()
    {
        if (m_rowsInBlock == 0 || m_outRow >= m_pOut->height())
            return;
        auto *pOut = reinterpret_cast<quint32 *>(m_pOut->scanLine(m_outRow));
        for (int x = 0; x < m_pOut->width(); ++x) {
            const quint64 *pSum = &m_sums[size_t(x) * 4];
            const quint64 n = quint64(qMin(m_factor, m_width - quint32(x) * m_factor)) * m_rowsInBlock;
            const quint64 a = pSum[0];
            pOut[x] = a == 0 ? 0u
                             : (quint32((a + n / 2) / n) << 24) | (quint32((pSum[1] + a / 2) / a) << 16)
                                   | (quint32((pSum[2] + a / 2) / a) << 8) | quint32((pSum[3] + a / 2) / a);
        }
        std::fill(m_sums.begin(), m_sums.end(), 0);
        m_rowsInBlock = 0;
        ++m_outRow;
    }

private:
    QImage *m_pOut;
    quint32 m_width;
    quint32 m_factor;
    std::vector<quint64> m_sums;
    quint32 m_rowsInBlock = 0;
    int m_outRow = 0;
};

// Plain C style like readRows, one row at a time into `pRow` (width * 4
// bytes), each handed to onRow. Not for interlaced images.
bool streamRows(ReadState *pState, uchar *pRow, quint32 width, quint32 height, void (*onRow)(void *, const uchar *),
                void *pContext)
{
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, pState, onError, onWarning);
    if (!png)
        return false;
    png_infop info = png_create_info_struct(png);
    if (!info) {
        png_destroy_read_struct(&png, nullptr, nullptr);
        qstrncpy(pState->message, "out of memory", sizeof pState->message);
        return false;
    }
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_read_struct(&png, &info, nullptr);
        return false;
    }
    png_set_read_fn(png, pState, readBytes);
    png_read_info(png, info);
    if (png_get_image_width(png, info) != width || png_get_image_height(png, info) != height
        || png_get_interlace_type(png, info) != PNG_INTERLACE_NONE)
        png_error(png, "the header changed");
    png_set_expand(png);
    png_set_scale_16(png);
    png_set_gray_to_rgb(png);
    png_set_bgr(png);
    png_set_filler(png, 0xff, PNG_FILLER_AFTER);
    png_read_update_info(png, info);
    if (png_get_rowbytes(png, info) != size_t(width) * 4)
        png_error(png, "unexpected row layout");
    for (quint32 y = 0; y < height; ++y) {
        png_read_row(png, pRow, nullptr);
        onRow(pContext, pRow);
    }
    png_read_end(png, nullptr);
    png_destroy_read_struct(&png, &info, nullptr);
    return true;
}

Result damaged(const char *message)
{
    return failure(Status::Damaged, FileProblem::Damaged(QStringLiteral("The pixel data: %1.").arg(QString::fromLatin1(message))));
}

Result decodeRows(const PngChunks::Png &png)
{
    const PngChunks::Header &h = png.header;
    QImage image(int(h.width), int(h.height), QImage::Format_ARGB32);
    if (image.isNull())
        return noMemory(h);
    ReadState state{reinterpret_cast<const uchar *>(png.clean.constData()), size_t(png.clean.size()), 0, {}};
    if (!readRows(&state, image.bits(), image.bytesPerLine(), h.width, h.height)) {
        if (QByteArray(state.message).toLower().contains("memory"))
            return noMemory(h);
        return damaged(state.message);
    }
    Result r;
    r.image = std::move(image);
    r.status = Status::Ok;
    return r;
}

// --- The plain case: 8-bit RGB, RGBA or palette, not interlaced -------------

// What each palette index becomes: entries past the palette are black, past
// the transparency table opaque, as libpng expands them.
void paletteTable(const PngChunks::Png &png, quint32 table[256])
{
    const auto *pal = reinterpret_cast<const uchar *>(png.palette.constData());
    const qsizetype entries = png.palette.size() / 3;
    const auto *alpha = reinterpret_cast<const uchar *>(png.transparency.constData());
    for (int i = 0; i < 256; ++i) {
        const quint32 rgb = i < entries ? (quint32(pal[3 * i]) << 16) | (quint32(pal[3 * i + 1]) << 8) | pal[3 * i + 2] : 0;
        const quint32 a = i < png.transparency.size() ? alpha[i] : 255;
        table[i] = (a << 24) | rgb;
    }
}

void convertRow(int colorType, const uchar *in, quint32 *out, quint32 width, const quint32 *table, const int *key)
{
    switch (colorType) {
    case 6:
        // The bytes R, G, B, A to 0xAARRGGBB: swap red and blue.
        for (quint32 x = 0; x < width; ++x) {
            quint32 rgba;
            std::memcpy(&rgba, in + 4 * x, 4);
            out[x] = (rgba & 0xff00ff00u) | ((rgba >> 16) & 0xffu) | ((rgba & 0xffu) << 16);
        }
        break;
    case 2:
        for (quint32 x = 0; x < width; ++x, in += 3) {
            const quint32 rgb = (quint32(in[0]) << 16) | (quint32(in[1]) << 8) | in[2];
            out[x] = (key && int(rgb) == *key) ? rgb : 0xff000000u | rgb;
        }
        break;
    default:
        for (quint32 x = 0; x < width; ++x)
            out[x] = table[in[x]];
        break;
    }
}

enum class Plain { Done, NotPlain, NoMemory };

// Whether the one-piece inflate takes the image: 8-bit RGB, RGBA or
// palette, not interlaced, at most `limit` bytes of pixels.
bool isPlain(const PngChunks::Png &png, qint64 limit)
{
    const PngChunks::Header &h = png.header;
    return png.plain && h.depth == 8 && h.interlace == 0 && (h.colorType == 2 || h.colorType == 3 || h.colorType == 6)
        && qint64(h.width) * h.height * 4 <= limit;
}

// The transparent colour key of an RGB image (-1 for none); false when its
// samples go beyond 8 bits, which is left to libpng.
bool colourKey(const PngChunks::Png &png, int *pKey)
{
    *pKey = -1;
    if (png.header.colorType != 2 || png.transparency.isEmpty())
        return true;
    const auto *t = reinterpret_cast<const uchar *>(png.transparency.constData());
    if (t[0] || t[2] || t[4])
        return false;
    *pKey = (t[1] << 16) | (t[3] << 8) | t[5];
    return true;
}

// How a plain image's filtered rows lie: its colour key (-1 for none), bytes
// a pixel, bytes a row without the filter byte, and bytes in all.
struct RowLayout {
    int key;
    int bpp;
    qsizetype rowBytes;
    qsizetype total;
};

bool rowLayout(const PngChunks::Png &png, RowLayout *pLayout)
{
    const PngChunks::Header &h = png.header;
    int key = -1;
    if (!colourKey(png, &key))
        return false;
    const int bpp = h.colorType == 6 ? 4 : h.colorType == 2 ? 3 : 1;
    const qsizetype rowBytes = qsizetype(h.width) * bpp;
    *pLayout = RowLayout{key, bpp, rowBytes, (rowBytes + 1) * qsizetype(h.height)};
    return true;
}

// The image data inflated in one piece into `total` bytes at pOut; false
// when the data is short, long or damaged (libpng then decides what it
// makes of it).
bool inflateRows(const QByteArray &bytes, const PngChunks::Png &png, uchar *pOut, qsizetype total)
{
    const QByteArray idat = PngChunks::ImageData(bytes, png);
    libdeflate_decompressor *pInflater = libdeflate_alloc_decompressor();
    if (!pInflater)
        return false;
    size_t inUsed = 0, outMade = 0;
    const libdeflate_result inflated = libdeflate_zlib_decompress_ex(pInflater, idat.constData(), size_t(idat.size()),
                                                                     pOut, size_t(total), &inUsed, &outMade);
    libdeflate_free_decompressor(pInflater);
    return inflated == LIBDEFLATE_SUCCESS && outMade == size_t(total);
}

// Inflates in one piece, then unfilters and converts row by row: row y is
// written to rowAt(y), after which rowDone(y) runs.
template <typename RowAt, typename RowDone>
Plain plainRows(const QByteArray &bytes, const PngChunks::Png &png, RowAt &&rowAt, RowDone &&rowDone)
{
    const PngChunks::Header &h = png.header;
    RowLayout layout;
    if (!rowLayout(png, &layout))
        return Plain::NotPlain;
    const auto [key, bpp, rowBytes, total] = layout;
    std::unique_ptr<uchar[]> filtered(new (std::nothrow) uchar[size_t(total)]);
    std::unique_ptr<uchar[]> zeros(new (std::nothrow) uchar[size_t(rowBytes)]());
    if (!filtered || !zeros)
        return Plain::NotPlain; // libpng needs less memory
    if (!inflateRows(bytes, png, filtered.get(), total))
        return Plain::NotPlain;

    quint32 table[256];
    if (h.colorType == 3)
        paletteTable(png, table);
    const uchar *prev = zeros.get();
    for (quint32 y = 0; y < h.height; ++y) {
        uchar *row = filtered.get() + qsizetype(y) * (rowBytes + 1);
        if (!PngFilter::Undo(row[0], row + 1, prev, rowBytes, bpp))
            return Plain::NotPlain;
        convertRow(h.colorType, row + 1, rowAt(y), h.width, table, key >= 0 ? &key : nullptr);
        rowDone(y);
        prev = row + 1;
    }
    return Plain::Done;
}

// The whole image in one buffer: the filtered rows are inflated into its
// end, then unfiltered and converted a row at a time into their final place
// at its start, which never overtakes the rows still to be read. The peak
// is one image (plus a byte a row) besides the file.
Plain decodePlain(const QByteArray &bytes, const PngChunks::Png &png, QImage *pImage)
{
    // The chunk reader has held the size to the shared limits.
    if (!isPlain(png, std::numeric_limits<qint64>::max()))
        return Plain::NotPlain;
    const PngChunks::Header &h = png.header;
    RowLayout layout;
    if (!rowLayout(png, &layout))
        return Plain::NotPlain;
    const auto [key, bpp, rowBytes, total] = layout;
    const qsizetype imageBytes = qsizetype(h.width) * 4 * qsizetype(h.height);
    const qsizetype size = qMax(total, imageBytes);
    auto *pBuffer = static_cast<uchar *>(std::malloc(size_t(size)));
    std::unique_ptr<uchar[]> rows(new (std::nothrow) uchar[size_t(rowBytes) * 2]);
    if (!pBuffer || !rows) {
        std::free(pBuffer);
        return Plain::NoMemory;
    }
    std::unique_ptr<uchar, decltype(&std::free)> buffer(pBuffer, &std::free);
    uchar *filtered = pBuffer + (size - total);
    if (!inflateRows(bytes, png, filtered, total))
        return Plain::NotPlain;

    quint32 table[256];
    if (h.colorType == 3)
        paletteTable(png, table);
    uchar *current = rows.get(), *previous = rows.get() + rowBytes;
    std::memset(previous, 0, size_t(rowBytes));
    for (quint32 y = 0; y < h.height; ++y) {
        const uchar *row = filtered + qsizetype(y) * (rowBytes + 1);
        std::memcpy(current, row + 1, size_t(rowBytes));
        if (!PngFilter::Undo(row[0], current, previous, rowBytes, bpp))
            return Plain::NotPlain;
        convertRow(h.colorType, current, reinterpret_cast<quint32 *>(pBuffer + qsizetype(y) * h.width * 4), h.width,
                   table, key >= 0 ? &key : nullptr);
        std::swap(current, previous);
    }
    QImage image(buffer.get(), int(h.width), int(h.height), qsizetype(h.width) * 4, QImage::Format_ARGB32,
                 &std::free, buffer.get());
    if (image.isNull())
        return Plain::NoMemory;
    buffer.release();
    *pImage = std::move(image);
    return Plain::Done;
}

Result checked(const QByteArray &bytes, PngChunks::Png *pPng)
{
    QString reason;
    switch (PngChunks::Read(bytes, pPng, &reason)) {
    case PngChunks::Result::Ok:
        return Result{QImage(), Status::Ok, QString()};
    case PngChunks::Result::NotPng:
        return failure(Status::NotPng, reason);
    case PngChunks::Result::TooLarge:
        return failure(Status::TooLarge, reason);
    default:
        return failure(Status::Damaged, reason);
    }
}

} // namespace

Result Decode(const QByteArray &bytes)
{
    PngChunks::Png png;
    Result r = checked(bytes, &png);
    if (r.status != Status::Ok)
        return r;
    switch (decodePlain(bytes, png, &r.image)) {
    case Plain::Done:
        return r;
    case Plain::NoMemory:
        return noMemory(png.header);
    case Plain::NotPlain:
        break;
    }
    return decodeRows(png);
}

Result DecodeReduced(const QByteArray &bytes, int iFactor)
{
    if (iFactor <= 1)
        return Decode(bytes);
    PngChunks::Png png;
    Result r = checked(bytes, &png);
    if (r.status != Status::Ok)
        return r;
    const PngChunks::Header &h = png.header;
    QImage out(int((h.width + iFactor - 1) / quint32(iFactor)), int((h.height + iFactor - 1) / quint32(iFactor)),
               QImage::Format_ARGB32);
    if (out.isNull())
        return noMemory(h);
    Reducer reducer(&out, h.width, iFactor);
    if (isPlain(png, kReducedPlainLimit)) {
        std::vector<quint32> row(h.width);
        if (plainRows(bytes, png, [&row](quint32) { return row.data(); }, [&](quint32) { reducer.Add(row.data()); })
            == Plain::Done) {
            reducer.Flush();
            r.image = std::move(out);
            return r;
        }
        reducer = Reducer(&out, h.width, iFactor); // libpng starts again and says what is wrong
    }
    if (h.interlace != 0) {
        const Result whole = decodeRows(png);
        if (whole.status != Status::Ok)
            return whole;
        for (int y = 0; y < whole.image.height(); ++y)
            reducer.Add(reinterpret_cast<const quint32 *>(whole.image.constScanLine(y)));
    } else {
        std::unique_ptr<uchar[]> row(new (std::nothrow) uchar[size_t(h.width) * 4]);
        if (!row)
            return noMemory(h);
        ReadState state{reinterpret_cast<const uchar *>(png.clean.constData()), size_t(png.clean.size()), 0, {}};
        if (!streamRows(&state, row.get(), h.width, h.height, &Reducer::onRow, &reducer))
            return QByteArray(state.message).toLower().contains("memory") ? noMemory(h) : damaged(state.message);
    }
    reducer.Flush();
    r.image = std::move(out);
    return r;
}

Result DecodeWithLibpng(const QByteArray &bytes)
{
    PngChunks::Png png;
    const Result r = checked(bytes, &png);
    if (r.status != Status::Ok)
        return r;
    return decodeRows(png);
}

} // namespace PngDecoder
