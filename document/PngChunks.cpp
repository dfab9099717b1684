#include "PngChunks.h"
#include "ImageFile.h"

#include <QtEndian>
#include <cstring>

namespace PngChunks {

qsizetype Scan(const char *data, qsizetype size, QByteArray *pClean, QSize *pSize)
{
    static const char kSignature[] = "\x89PNG\r\n\x1a\n";
    if (size < 8 || std::memcmp(data, kSignature, 8) != 0)
        return -1;
    QByteArray clean(data, 8);
    qsizetype pos = 8;
    for (;;) {
        if (size - pos < 12)
            return -1;
        const quint32 iLength = qFromBigEndian<quint32>(data + pos);
        if (iLength > quint32(0x7fffffff) || qint64(iLength) > size - pos - 12)
            return -1;
        const QByteArray type(data + pos + 4, 4);
        const qsizetype iChunk = 12 + qsizetype(iLength);
        if (pos == 8) {
            if (type != "IHDR" || iLength != 13)
                return -1;
            const quint32 w = qFromBigEndian<quint32>(data + pos + 8);
            const quint32 h = qFromBigEndian<quint32>(data + pos + 12);
            *pSize = ImageFile::Fits(w, h) ? QSize(int(w), int(h)) : QSize(-1, -1);
        } else if (type == "IHDR") {
            return -1;
        }
        if (type == "IHDR" || type == "PLTE" || type == "tRNS" || type == "IDAT" || type == "IEND")
            clean.append(data + pos, iChunk);
        pos += iChunk;
        if (type == "IEND")
            break;
    }
    *pClean = clean;
    return pos;
}

} // namespace PngChunks
