#pragma once
// Bytes of our own files built by hand, apart from the writers: the native
// document's little-endian tagged records, and PNG's checksummed chunks.
#include <QByteArray>
#include <QList>
#include <QPair>
#include <QtEndian>
#include <zlib.h>

#include <cstring>
#include <initializer_list>

namespace cqtest {

struct DocBytes {
    QByteArray b;
    void i32(qint32 v) { char r[4]; qToLittleEndian(v, r); b.append(r, 4); }
    void f64(double d) { quint64 u; std::memcpy(&u, &d, 8); char r[8]; qToLittleEndian(u, r); b.append(r, 8); }
    void rec(qint32 tag, const QByteArray &payload) { i32(tag); i32(qint32(payload.size())); b.append(payload); }
    static QByteArray I(qint32 v) { DocBytes x; x.i32(v); return x.b; }
    static QByteArray D(double v) { DocBytes x; x.f64(v); return x.b; }
    static QByteArray P(double a, double c) { return D(a) + D(c); }
    static QByteArray Ints(std::initializer_list<qint32> values)
    {
        DocBytes x;
        for (qint32 v : values)
            x.i32(v);
        return x.b;
    }
    // A counted list: the count, then one record per payload.
    static QByteArray List(qint32 tag, const QList<QByteArray> &payloads)
    {
        DocBytes x;
        x.i32(qint32(payloads.size()));
        for (const QByteArray &p : payloads)
            x.rec(tag, p);
        return x.b;
    }
    // A raster layer record's payload with just a kind and pixels.
    static QByteArray Raster(const QByteArray &png)
    {
        DocBytes x;
        x.rec(4001, I(0));
        x.rec(4008, png);
        return x.b;
    }
    // A layer style record's payload: name, enabled, version 1, parameters.
    static QByteArray Style(const QByteArray &name, bool bEnabled, const QByteArray &params)
    {
        DocBytes s;
        s.rec(7001, name);
        s.rec(7002, QByteArray(1, bEnabled ? '\1' : '\0'));
        s.rec(7003, I(1));
        s.rec(7004, params);
        return s.b;
    }
    // Magic and version, then the given top-level records in order.
    static QByteArray File(const QList<QPair<qint32, QByteArray>> &records)
    {
        DocBytes x;
        x.b = QByteArray::fromHex("0DD03713");
        x.rec(1000, "0.55b");
        for (const auto &r : records)
            x.rec(r.first, r.second);
        return x.b;
    }
};

inline QByteArray be32(quint32 v)
{
    QByteArray b(4, '\0');
    qToBigEndian(v, b.data());
    return b;
}

inline QByteArray pngChunk(const char *type, const QByteArray &data)
{
    const QByteArray typed = QByteArray(type, 4) + data;
    return be32(quint32(data.size())) + typed
           + be32(quint32(crc32(0, reinterpret_cast<const Bytef *>(typed.constData()), uInt(typed.size()))));
}

// The bytes with the first PNG header in them claiming another size, its
// checksum fixed so that the header itself is sound.
inline QByteArray claimingSize(QByteArray bytes, quint32 width, quint32 height)
{
    const qsizetype at = bytes.indexOf("IHDR");
    qToBigEndian(width, bytes.data() + at + 4);
    qToBigEndian(height, bytes.data() + at + 8);
    const uLong crc = crc32(0, reinterpret_cast<const Bytef *>(bytes.constData() + at), 17);
    qToBigEndian(quint32(crc), bytes.data() + at + 17);
    return bytes;
}

} // namespace cqtest
