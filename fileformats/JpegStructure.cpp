#include "JpegStructure.h"

#include "FileProblem.h"

#include <QtEndian>

#include <cstring>

namespace JpegStructure {

namespace {

bool isFrame(uchar marker)
{
    // SOF0 to SOF15, less DHT (C4), JPG (C8) and DAC (CC).
    return marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
}

// Arithmetic-coded frames (SOF9 to SOF15) can code an empty block in a
// fraction of a bit.
bool isArithmetic(uchar marker)
{
    return marker >= 0xC9;
}

} // namespace

bool IsJpeg(const QByteArray &bytes)
{
    // The start-of-image marker alone, as the toolkit's reader decides: its
    // decoder skips anything up to the next marker, so what follows is
    // checked here, not taken on trust.
    return bytes.size() >= 2 && uchar(bytes[0]) == 0xFF && uchar(bytes[1]) == 0xD8;
}

bool Check(const QByteArray &bytes, QSize *pSize, QString *pReason)
{
    auto fail = [pReason](const QString &reason) {
        *pReason = FileProblem::Damaged(reason);
        return false;
    };
    if (!IsJpeg(bytes)) {
        *pReason = QStringLiteral("It is not a JPEG image.");
        return false;
    }
    const auto *p = reinterpret_cast<const uchar *>(bytes.constData());
    const qsizetype n = bytes.size();
    const QString truncated = QStringLiteral("The image is truncated.");
    qsizetype pos = 2;
    bool bFrame = false, bScan = false, bArithmetic = false;
    qint64 iCoded = 0; // bytes of entropy-coded data in all scans
    for (;;) {
        // Markers may be preceded by any number of fill bytes.
        while (pos < n && p[pos] == 0xFF && pos + 1 < n && p[pos + 1] == 0xFF)
            ++pos;
        if (n - pos < 2)
            return fail(truncated);
        if (p[pos] != 0xFF)
            return fail(QStringLiteral("The image is damaged (a marker is missing)."));
        const uchar marker = p[pos + 1];
        pos += 2;
        if (marker == 0xD9) {
            if (!bFrame || !bScan)
                return fail(QStringLiteral("The image is damaged (it ends before any picture data)."));
            // A Huffman code takes at least a bit for every 8 x 8 block of
            // the first scan; an arithmetic coder cannot go far below that
            // on real pictures either. Less data than that is a size the
            // picture never had.
            const qint64 blocks = (qint64(pSize->width()) + 7) / 8 * ((qint64(pSize->height()) + 7) / 8);
            if (iCoded * (bArithmetic ? 8 * 64 : 8) < blocks)
                return fail(QStringLiteral("The image is damaged (%1 bytes of picture data cannot make %2 x %3 pixels).")
                                .arg(iCoded).arg(pSize->width()).arg(pSize->height()));
            return true;
        }
        if ((marker >= 0xD0 && marker <= 0xD7) || marker == 0x01)
            continue; // markers without a segment
        if (n - pos < 2)
            return fail(truncated);
        const int length = qFromBigEndian<quint16>(p + pos);
        if (length < 2)
            return fail(QStringLiteral("The image is damaged (a segment has no valid length)."));
        if (n - pos < length)
            return fail(truncated);
        const uchar *segment = p + pos + 2;
        if (isFrame(marker)) {
            if (length < 8 || bFrame)
                return fail(QStringLiteral("The image is damaged (its frame header is not valid)."));
            *pSize = QSize(qFromBigEndian<quint16>(segment + 3), qFromBigEndian<quint16>(segment + 1));
            // A height of 0 would be given later by a DNL marker, which the
            // decoders do not read.
            if (pSize->isEmpty())
                return fail(QStringLiteral("The image is damaged (its frame header gives a size of %1 x %2).")
                                .arg(pSize->width()).arg(pSize->height()));
            bFrame = true;
            bArithmetic = isArithmetic(marker);
        }
        pos += length;
        if (marker != 0xDA)
            continue;
        if (!bFrame)
            return fail(QStringLiteral("The image is damaged (picture data comes before its frame header)."));
        bScan = true;
        // Entropy-coded data: 0xFF is followed by 0 (a stuffed byte) or a
        // restart marker, until the next real marker.
        const qsizetype dataStart = pos;
        for (;;) {
            const void *pFF = std::memchr(p + pos, 0xFF, size_t(n - pos));
            if (!pFF)
                return fail(truncated);
            pos = static_cast<const uchar *>(pFF) - p;
            if (pos + 1 >= n)
                return fail(truncated);
            const uchar next = p[pos + 1];
            if (next == 0x00 || (next >= 0xD0 && next <= 0xD7) || next == 0xFF) {
                pos += next == 0xFF ? 1 : 2;
                continue;
            }
            break;
        }
        iCoded += pos - dataStart;
    }
}

} // namespace JpegStructure
