#include "LayerStyleRecord.h"

#include <QtEndian>

namespace {

void appendInt(QByteArray *pBytes, qint32 iValue)
{
    char raw[4];
    qToLittleEndian(iValue, raw);
    pBytes->append(raw, 4);
}

void appendField(QByteArray *pBytes, qint32 iTag, const QByteArray &payload)
{
    appendInt(pBytes, iTag);
    appendInt(pBytes, qint32(payload.size()));
    pBytes->append(payload);
}

} // namespace

bool LayerStyleRecord::Parse(const QByteArray &payload, LayerStyleRecord *pRecord)
{
    LayerStyleRecord record;
    bool bName = false;
    qsizetype pos = 0;
    const qsizetype end = payload.size();
    while (pos < end) {
        if (end - pos < 8)
            return false;
        const qint32 iTag = qFromLittleEndian<qint32>(payload.constData() + pos);
        const qint32 iLength = qFromLittleEndian<qint32>(payload.constData() + pos + 4);
        pos += 8;
        if (iLength < 0 || iLength > end - pos)
            return false;
        const char *pField = payload.constData() + pos;
        pos += iLength;
        switch (iTag) {
        case Name:
            record.name = QString::fromLatin1(pField, iLength);
            bName = true;
            break;
        case Enabled:
            if (iLength != 1 || (pField[0] != 0 && pField[0] != 1))
                return false;
            record.bEnabled = pField[0] == 1;
            break;
        case Version:
            if (iLength != 4)
                return false;
            record.iVersion = qFromLittleEndian<qint32>(pField);
            break;
        case Params:
            record.params = QByteArray(pField, iLength);
            record.bHasParams = true;
            break;
        default:
            // Fields of later versions.
            break;
        }
    }
    if (!bName)
        return false;
    *pRecord = std::move(record);
    return true;
}

QByteArray LayerStyleRecord::Serialize() const
{
    QByteArray bytes;
    appendField(&bytes, Name, name.toLatin1());
    appendField(&bytes, Enabled, QByteArray(1, bEnabled ? 1 : 0));
    QByteArray version;
    appendInt(&version, iVersion);
    appendField(&bytes, Version, version);
    if (bHasParams)
        appendField(&bytes, Params, params);
    return bytes;
}
