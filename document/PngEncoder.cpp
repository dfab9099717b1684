#include "PngEncoder.h"

#include <QIODevice>
#include <QtEndian>
#include <zlib.h>

namespace PngEncoder {

namespace {

constexpr int kChunkData = 256 * 1024;

class ChunkWriter {
public:
    explicit ChunkWriter(QByteArray *pOut) : m_pOut(pOut) {}

    void Chunk(const char *type, const uchar *data, quint32 length)
    {
        uchar header[8];
        qToBigEndian<quint32>(length, header);
        memcpy(header + 4, type, 4);
        m_pOut->append(reinterpret_cast<const char *>(header), 8);
        m_pOut->append(reinterpret_cast<const char *>(data), length);
        uLong crc = crc32(0, header + 4, 4);
        if (length > 0) // zlib answers 0 for a null buffer
            crc = crc32_z(crc, data, length);
        uchar tail[4];
        qToBigEndian<quint32>(quint32(crc), tail);
        m_pOut->append(reinterpret_cast<const char *>(tail), 4);
    }

private:
    QByteArray *m_pOut;
};

} // namespace

QByteArray Encode(const QImage &source)
{
    if (source.isNull())
        return QByteArray();
    const QImage image = source.format() == QImage::Format_RGBA8888
                             ? source
                             : source.convertToFormat(QImage::Format_RGBA8888);
    const int width = image.width();
    const int height = image.height();
    const qsizetype rowBytes = qsizetype(width) * 4;

    QByteArray out;
    // Stored deflate adds 5 bytes per 64 KiB block; reserve it all at once.
    const qsizetype raw = (rowBytes + 1) * height;
    out.reserve(raw + raw / 65535 * 5 + raw / kChunkData * 12 + 1024);
    ChunkWriter writer(&out);
    static const uchar signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
    out.append(reinterpret_cast<const char *>(signature), 8);

    uchar ihdr[13];
    qToBigEndian<quint32>(quint32(width), ihdr);
    qToBigEndian<quint32>(quint32(height), ihdr + 4);
    ihdr[8] = 8;  // bits per channel
    ihdr[9] = 6;  // RGBA
    ihdr[10] = 0; // deflate
    ihdr[11] = 0; // adaptive filtering (every row uses filter 0)
    ihdr[12] = 0; // no interlace
    writer.Chunk("IHDR", ihdr, 13);

    z_stream stream{};
    if (deflateInit(&stream, Z_NO_COMPRESSION) != Z_OK)
        return QByteArray();
    QByteArray idat(kChunkData, Qt::Uninitialized);
    auto *pBuffer = reinterpret_cast<uchar *>(idat.data());
    stream.next_out = pBuffer;
    stream.avail_out = kChunkData;
    auto drain = [&] {
        do {
            if (stream.avail_out == 0) {
                writer.Chunk("IDAT", pBuffer, kChunkData);
                stream.next_out = pBuffer;
                stream.avail_out = kChunkData;
            }
            deflate(&stream, Z_NO_FLUSH);
        } while (stream.avail_in > 0);
    };
    uchar filter = 0;
    for (int y = 0; y < height; ++y) {
        stream.next_in = &filter;
        stream.avail_in = 1;
        drain();
        stream.next_in = const_cast<uchar *>(image.constScanLine(y));
        stream.avail_in = uInt(rowBytes);
        drain();
    }
    int status;
    do {
        if (stream.avail_out == 0) {
            writer.Chunk("IDAT", pBuffer, kChunkData);
            stream.next_out = pBuffer;
            stream.avail_out = kChunkData;
        }
        status = deflate(&stream, Z_FINISH);
    } while (status == Z_OK);
    const quint32 pending = kChunkData - stream.avail_out;
    deflateEnd(&stream);
    if (status != Z_STREAM_END)
        return QByteArray();
    if (pending > 0)
        writer.Chunk("IDAT", pBuffer, pending);
    writer.Chunk("IEND", nullptr, 0);
    return out;
}

bool Write(const QImage &image, QIODevice *pDevice)
{
    const QByteArray bytes = Encode(image);
    return !bytes.isEmpty() && pDevice->write(bytes) == bytes.size();
}

} // namespace PngEncoder
