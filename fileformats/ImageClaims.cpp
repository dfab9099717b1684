#include "ImageClaims.h"

#include "FileProblem.h"
#include "ImageFile.h"

#include <QtEndian>

#include <algorithm>
#include <cctype>
#include <climits>

namespace ImageClaims {

namespace {

constexpr qint64 kRunLengthRatio = 256; // BMP and TGA runs: at most 128 to 255 pixels a packet
constexpr qint64 kLzwRatio = 4096;      // GIF: one 12-bit code never stands for more pixels
constexpr qint64 kDeflateRatio = 1032;  // a 258-byte match in two bits

Claim bmp(const QByteArray &bytes)
{
    Claim c;
    if (bytes.size() < 26)
        return c;
    const auto *p = reinterpret_cast<const uchar *>(bytes.constData());
    const qint64 offset = qFromLittleEndian<quint32>(p + 10);
    const quint32 header = qFromLittleEndian<quint32>(p + 14);
    qint64 compression = 0;
    if (header == 12) {
        c.size = QSize(qFromLittleEndian<quint16>(p + 18), qFromLittleEndian<quint16>(p + 20));
    } else if (bytes.size() >= 34) {
        const qint64 width = qFromLittleEndian<qint32>(p + 18);
        const qint64 height = qAbs(qint64(qFromLittleEndian<qint32>(p + 22)));
        c.size = QSize(int(std::clamp<qint64>(width, 0, INT_MAX)), int(std::min<qint64>(height, INT_MAX)));
        compression = qFromLittleEndian<quint32>(p + 30);
    } else {
        return c;
    }
    c.dataBytes = qMax<qint64>(0, bytes.size() - offset);
    // Uncompressed rows are checked exactly elsewhere; run-length data
    // (RLE8, RLE4) has a floor.
    if (compression == 1 || compression == 2)
        c.minimumData = qint64(c.size.width()) * c.size.height() / kRunLengthRatio;
    return c;
}

// Skips a run of GIF data sub-blocks (each a length byte and that many
// bytes, ended by a zero length); -1 when the file ends first.
qsizetype skipSubBlocks(const uchar *p, qsizetype n, qsizetype pos, qint64 *pBytes)
{
    while (pos < n && p[pos] != 0) {
        *pBytes += p[pos];
        pos += 1 + p[pos];
    }
    return pos < n ? pos + 1 : -1;
}

// The screen size, and the first frame's coded data against it. A frame
// whose data ends with the file is damage: the toolkit's reader would draw
// the rest as background.
Claim gif(const QByteArray &bytes)
{
    Claim c;
    const auto *p = reinterpret_cast<const uchar *>(bytes.constData());
    const qsizetype n = bytes.size();
    if (n < 13)
        return c;
    c.size = QSize(qFromLittleEndian<quint16>(p + 6), qFromLittleEndian<quint16>(p + 8));
    qsizetype pos = 13 + ((p[10] & 0x80) ? 3 << ((p[10] & 7) + 1) : 0);
    qint64 iIgnored = 0;
    while (pos >= 0 && pos < n && p[pos] == 0x21 && pos + 2 < n)
        pos = skipSubBlocks(p, n, pos + 2, &iIgnored);
    c.damage = QStringLiteral("The image data ends before the picture does.");
    if (pos < 0 || pos + 10 > n || p[pos] != 0x2C)
        return c;
    const qint64 frame = qint64(qFromLittleEndian<quint16>(p + pos + 5)) * qFromLittleEndian<quint16>(p + pos + 7);
    const uchar flags = p[pos + 9];
    pos += 10 + ((flags & 0x80) ? 3 << ((flags & 7) + 1) : 0) + 1; // local palette, LZW code size
    qint64 iCoded = 0;
    if (pos > n || skipSubBlocks(p, n, pos, &iCoded) < 0)
        return c;
    c.damage.clear();
    if (frame == 0)
        c.damage = QStringLiteral("The image's first frame has no pixels.");
    c.dataBytes = iCoded;
    // The reader makes a picture of the whole screen from the first frame,
    // so the data must be able to hold the screen, not a corner of it.
    c.minimumData = qMax(frame, qint64(c.size.width()) * c.size.height()) / kLzwRatio;
    return c;
}

Claim tga(const QByteArray &bytes)
{
    Claim c;
    const auto *p = reinterpret_cast<const uchar *>(bytes.constData());
    const int type = p[2];
    c.size = QSize(qFromLittleEndian<quint16>(p + 12), qFromLittleEndian<quint16>(p + 14));
    c.dataBytes = bytes.size() - 18 - p[0];
    const qint64 pixels = qint64(c.size.width()) * c.size.height();
    c.minimumData = type >= 9 ? pixels / kRunLengthRatio : pixels * qMax(1, p[16] / 8);
    return c;
}

// Netpbm: the magic, then width and height as decimal text.
Claim netpbm(const QByteArray &bytes)
{
    Claim c;
    const char kind = bytes[1];
    qsizetype pos = 2;
    qint64 values[2] = {0, 0};
    for (qint64 &v : values) {
        while (pos < bytes.size() && (QChar::isSpace(uchar(bytes[pos])) || bytes[pos] == '#')) {
            if (bytes[pos] == '#')
                while (pos < bytes.size() && bytes[pos] != '\n')
                    ++pos;
            else
                ++pos;
        }
        if (pos >= bytes.size() || !std::isdigit(uchar(bytes[pos])))
            return c;
        for (; pos < bytes.size() && std::isdigit(uchar(bytes[pos])) && v < INT_MAX; ++pos)
            v = v * 10 + (bytes[pos] - '0');
    }
    c.size = QSize(int(std::min<qint64>(values[0], INT_MAX)), int(std::min<qint64>(values[1], INT_MAX)));
    c.dataBytes = bytes.size() - pos;
    const qint64 pixels = qint64(c.size.width()) * c.size.height();
    // Binary bitmaps pack eight pixels a byte; every other kind takes at
    // least a byte a pixel.
    c.minimumData = kind == '4' ? (qint64(c.size.width()) + 7) / 8 * c.size.height() : pixels;
    return c;
}

// MNG: PNG's chunks under another signature. The frame size (MHDR, or the
// first IHDR) is what the reader allocates; the pixel data (IDAT, and JDAT
// for JPEG frames) must be able to hold it at deflate's best.
Claim mng(const QByteArray &bytes)
{
    Claim c;
    const auto *p = reinterpret_cast<const uchar *>(bytes.constData());
    const qsizetype n = bytes.size();
    qsizetype pos = 8;
    while (pos + 12 <= n) {
        const qint64 length = qFromBigEndian<quint32>(p + pos);
        const QByteArray type(bytes.constData() + pos + 4, 4);
        if (length > n - pos - 12) {
            c.damage = QStringLiteral("The image data ends before the picture does.");
            break;
        }
        if ((type == "MHDR" || type == "IHDR") && !c.size.isValid() && length >= 8)
            c.size = QSize(int(qMin<quint32>(qFromBigEndian<quint32>(p + pos + 8), INT_MAX)),
                           int(qMin<quint32>(qFromBigEndian<quint32>(p + pos + 12), INT_MAX)));
        else if (type == "IDAT" || type == "JDAT" || type == "JDAA")
            c.dataBytes += length;
        else if (type == "MEND")
            break;
        pos += 12 + length;
    }
    c.minimumData = qint64(c.size.width()) * c.size.height() / kDeflateRatio;
    return c;
}

// WBMP: type 0, a fixed header, then width and height as multi-byte
// integers and a bit a pixel, rows padded to bytes.
Claim wbmp(const QByteArray &bytes)
{
    Claim c;
    qsizetype pos = 2;
    qint64 values[2] = {0, 0};
    for (qint64 &v : values) {
        for (int i = 0; pos < bytes.size() && i < 5; ++i) {
            const uchar b = uchar(bytes[pos++]);
            v = (v << 7) | (b & 0x7F);
            if (!(b & 0x80))
                break;
        }
    }
    c.size = QSize(int(qMin<qint64>(values[0], INT_MAX)), int(qMin<qint64>(values[1], INT_MAX)));
    c.dataBytes = bytes.size() - pos;
    c.minimumData = (values[0] + 7) / 8 * values[1];
    return c;
}

} // namespace

Claim Read(const QByteArray &bytes, const QByteArray &format)
{
    if (bytes.startsWith("BM"))
        return bmp(bytes);
    if (bytes.startsWith("GIF87a") || bytes.startsWith("GIF89a"))
        return gif(bytes);
    if (bytes.size() >= 3 && bytes[0] == 'P' && bytes[1] >= '1' && bytes[1] <= '6' && QChar::isSpace(uchar(bytes[2])))
        return netpbm(bytes);
    if (bytes.startsWith("\x8aMNG\r\n\x1a\n"))
        return mng(bytes);
    if (format == "wbmp" && bytes.size() >= 4)
        return wbmp(bytes);
    // TGA has no magic number: the toolkit's reader recognised it.
    if (format == "tga" && bytes.size() >= 18)
        return tga(bytes);
    return Claim();
}

QString SizeProblem(const QSize &size)
{
    if (ImageFile::Fits(size.width(), size.height()))
        return QString();
    if (size.width() < 1 || size.height() < 1)
        return FileProblem::Damaged(QStringLiteral("The image gives a size of %1 x %2.").arg(size.width()).arg(size.height()));
    return QStringLiteral("The image is too large (%1 x %2).").arg(size.width()).arg(size.height());
}

} // namespace ImageClaims
