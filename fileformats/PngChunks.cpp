#include "PngChunks.h"

#include "FileProblem.h"
#include "ImageFile.h"

#include <QtEndian>
#include <libdeflate.h>

#include <cstring>

namespace PngChunks {

namespace {

bool validDepth(int colorType, int depth)
{
    switch (colorType) {
    case 0: return depth == 1 || depth == 2 || depth == 4 || depth == 8 || depth == 16;
    case 3: return depth == 1 || depth == 2 || depth == 4 || depth == 8;
    case 2: case 4: case 6: return depth == 8 || depth == 16;
    default: return false;
    }
}

bool isLetter(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

quint32 crcOf(const char *typeAndData, qsizetype length)
{
    return libdeflate_crc32(0, typeAndData, size_t(length));
}

} // namespace

bool HeaderFits(const Header &header)
{
    return ImageFile::Fits(header.width, header.height);
}

Result Read(const QByteArray &bytes, Png *pPng, QString *pReason)
{
    auto fail = [pReason](Result result, const QString &reason) {
        *pReason = result == Result::Truncated || result == Result::Damaged ? FileProblem::Damaged(reason) : reason;
        return result;
    };
    if (bytes.size() < 8 || std::memcmp(bytes.constData(), kSignature, 8) != 0)
        return fail(Result::NotPng, QStringLiteral("It is not a PNG image."));

    Png png;
    QList<QPair<qsizetype, qsizetype>> kept;
    bool bDropped = false;
    const char *p = bytes.constData();
    qsizetype pos = 8;
    bool bPalette = false, bIdat = false, bIdatEnded = false;
    for (;;) {
        if (bytes.size() - pos < 12)
            return fail(Result::Truncated, QStringLiteral("The image is truncated."));
        const quint32 length = qFromBigEndian<quint32>(p + pos);
        const char *type = p + pos + 4;
        if (length > 0x7fffffffu || qint64(length) > bytes.size() - pos - 12)
            return fail(Result::Truncated, QStringLiteral("The image is truncated (a chunk claims %1 bytes).").arg(length));
        if (!isLetter(type[0]) || !isLetter(type[1]) || !isLetter(type[2]) || !isLetter(type[3]))
            return fail(Result::Damaged, QStringLiteral("The image is damaged (a chunk has no valid name)."));
        const QByteArray name(type, 4);
        const char *data = type + 4;
        const qsizetype chunk = 12 + qsizetype(length);
        const bool bCritical = type[0] >= 'A' && type[0] <= 'Z';
        const bool bCrcOk = crcOf(type, 4 + length) == qFromBigEndian<quint32>(data + length);
        if (bCritical && !bCrcOk)
            return fail(Result::Damaged, QStringLiteral("The image is damaged (the %1 chunk fails its check).")
                                             .arg(QString::fromLatin1(name)));
        if (pos == 8) {
            if (name != "IHDR" || length != 13)
                return fail(Result::Damaged, QStringLiteral("The image is damaged (it does not start with a header)."));
            Header &h = png.header;
            h.width = qFromBigEndian<quint32>(data);
            h.height = qFromBigEndian<quint32>(data + 4);
            h.depth = uchar(data[8]);
            h.colorType = uchar(data[9]);
            h.interlace = uchar(data[12]);
            if (h.width == 0 || h.height == 0 || h.width > 0x7fffffffu || h.height > 0x7fffffffu
                || !validDepth(h.colorType, h.depth) || data[10] != 0 || data[11] != 0 || h.interlace > 1)
                return fail(Result::Damaged, QStringLiteral("The image is damaged (its header is not valid)."));
            if (!HeaderFits(h))
                return fail(Result::TooLarge, QStringLiteral("The image is too large (%1 x %2).").arg(h.width).arg(h.height));
        } else if (name == "IHDR") {
            return fail(Result::Damaged, QStringLiteral("The image is damaged (it has two headers)."));
        }

        bool bKeep = bCritical;
        if (name == "IDAT") {
            if (bIdatEnded)
                png.plain = false;
            bIdat = true;
            png.idat.append({pos + 8, qsizetype(length)});
            png.idatBytes += length;
        } else {
            if (bIdat)
                bIdatEnded = true;
            if (name == "PLTE") {
                if (bPalette || bIdat || !png.transparency.isEmpty() || length == 0 || length % 3 != 0 || length > 768)
                    png.plain = false;
                bPalette = true;
                png.palette = QByteArray(data, length);
            } else if (name == "tRNS" && bCrcOk) {
                // A damaged tRNS is dropped, as the reference decoder drops it.
                bKeep = true;
                if (bIdat || !png.transparency.isEmpty() || length == 0)
                    png.plain = false;
                png.transparency = QByteArray(data, length);
            } else if (bCritical && name != "IHDR" && name != "IEND") {
                png.plain = false; // unknown critical chunk: the general decoder refuses it
            }
        }
        if (bKeep)
            kept.append({pos, chunk});
        else
            bDropped = true;
        pos += chunk;
        if (name == "IEND")
            break;
    }
    if (!bIdat)
        return fail(Result::Damaged, QStringLiteral("The image is damaged (it holds no pixel data)."));
    {
        // Deflate packs at most 1032 bytes into one (a 258-byte match in
        // two bits): less data than that cannot make the rows the header
        // promises.
        const Header &h = png.header;
        const int channels = h.colorType == 2 ? 3 : h.colorType == 4 ? 2 : h.colorType == 6 ? 4 : 1;
        const qint64 rowBytes = (qint64(h.width) * channels * h.depth + 7) / 8 + 1;
        if (png.idatBytes * 1032 + 1032 < rowBytes * h.height)
            return fail(Result::Damaged, QStringLiteral("The image is damaged (%1 bytes of pixel data cannot make %2 x %3 pixels).")
                                             .arg(png.idatBytes).arg(h.width).arg(h.height));
    }
    png.end = pos;
    if (bDropped || pos < bytes.size()) {
        png.clean = bytes.left(8);
        for (const auto &span : std::as_const(kept))
            png.clean.append(p + span.first, span.second);
    } else {
        png.clean = bytes;
    }

    // Palette and transparency lengths the plain path can take as they are.
    const Header &h = png.header;
    if (h.colorType == 3) {
        const qsizetype entries = png.palette.size() / 3;
        if (png.palette.isEmpty() || png.transparency.size() > entries)
            png.plain = false;
    } else if (!png.palette.isEmpty() && h.colorType != 2 && h.colorType != 6) {
        png.plain = false;
    }
    if (!png.transparency.isEmpty()) {
        if ((h.colorType == 0 && png.transparency.size() != 2) || (h.colorType == 2 && png.transparency.size() != 6)
            || h.colorType == 4 || h.colorType == 6)
            png.plain = false;
    }
    *pPng = std::move(png);
    return Result::Ok;
}

QByteArray ImageData(const QByteArray &bytes, const Png &png)
{
    if (png.idat.size() == 1)
        return QByteArray::fromRawData(bytes.constData() + png.idat[0].first, png.idat[0].second);
    QByteArray data;
    data.reserve(png.idatBytes);
    for (const auto &span : png.idat)
        data.append(bytes.constData() + span.first, span.second);
    return data;
}

void Append(QByteArray *pOut, const char *type, const uchar *data, qsizetype length)
{
    uchar head[8];
    qToBigEndian<quint32>(quint32(length), head);
    std::memcpy(head + 4, type, 4);
    pOut->append(reinterpret_cast<const char *>(head), 8);
    if (length > 0)
        pOut->append(reinterpret_cast<const char *>(data), length);
    quint32 crc = libdeflate_crc32(0, head + 4, 4);
    if (length > 0)
        crc = libdeflate_crc32(crc, data, size_t(length));
    uchar tail[4];
    qToBigEndian<quint32>(crc, tail);
    pOut->append(reinterpret_cast<const char *>(tail), 4);
}

} // namespace PngChunks
