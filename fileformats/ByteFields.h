#pragma once
#include <QByteArray>
#include <QtEndian>

#include <cstring>

// Little-endian fields of the private formats (recovery copies): writers
// append, the reader checks each field against what remains.
namespace ByteFields {

inline void putU32(QByteArray &out, quint32 v)
{
    char raw[4];
    qToLittleEndian(v, raw);
    out.append(raw, 4);
}

inline void putU64(QByteArray &out, quint64 v)
{
    char raw[8];
    qToLittleEndian(v, raw);
    out.append(raw, 8);
}

inline void putF64(QByteArray &out, double v)
{
    quint64 bits;
    std::memcpy(&bits, &v, 8);
    putU64(out, bits);
}

inline void putBytes(QByteArray &out, const QByteArray &bytes)
{
    putU32(out, quint32(bytes.size()));
    out.append(bytes);
}

class Reader {
public:
    Reader(const char *p, qint64 n) : m_p(p), m_n(n) {}
    bool U32(quint32 *v) { return Take(4, [&](const char *p) { *v = qFromLittleEndian<quint32>(p); }); }
    bool I32(int *v) { return Take(4, [&](const char *p) { *v = qFromLittleEndian<qint32>(p); }); }
    bool U64(quint64 *v) { return Take(8, [&](const char *p) { *v = qFromLittleEndian<quint64>(p); }); }
    bool F64(double *v)
    {
        quint64 bits = 0;
        if (!U64(&bits))
            return false;
        std::memcpy(v, &bits, 8);
        return true;
    }
    bool Bytes(quint32 limit, QByteArray *pOut)
    {
        quint32 n = 0;
        if (!U32(&n) || n > limit || qint64(n) > m_n)
            return false;
        *pOut = QByteArray(m_p, n);
        m_p += n;
        m_n -= n;
        return true;
    }
    // A count of records each at least `minBytes` long: never more than
    // what remains could hold.
    bool Count(qint64 minBytes, quint32 limit, quint32 *pCount)
    {
        return U32(pCount) && *pCount <= limit && qint64(*pCount) * minBytes <= m_n;
    }
    qint64 Used(const char *start) const { return m_p - start; }
    const char *At() const { return m_p; }
    qint64 Left() const { return m_n; }
    void Skip(qint64 n) { m_p += n; m_n -= n; }

private:
    template <class F> bool Take(qint64 n, F f)
    {
        if (m_n < n)
            return false;
        f(m_p);
        m_p += n;
        m_n -= n;
        return true;
    }
    const char *m_p;
    qint64 m_n;
};

} // namespace ByteFields
