#include "BrushSetFile.h"
#include "CQBrush.h"
#include "ImageFile.h"
#include "PngChunks.h"
#include "PngDecoder.h"

#include <QBuffer>
#include <QDataStream>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QSaveFile>
#include <QtEndian>
#include <cstring>
#include <memory>

namespace {

// The fewest bytes a brush record can take: an empty name (4), the image
// marker (4), the smallest PNG (signature 8, IHDR 25, IEND 12) and the
// setting count (4).
constexpr qint64 kMinRecordBytes = 4 + 4 + 45 + 4;
// A setting: an empty key (4) and two doubles.
constexpr qint64 kMinSettingBytes = 4 + 16;

// A cursor over the bytes that checks every read against what remains.
class Cursor
{
public:
    explicit Cursor(const QByteArray &bytes) : m_bytes(bytes) {}

    qint64 remaining() const { return m_bytes.size() - m_pos; }
    const char *here() const { return m_bytes.constData() + m_pos; }
    void skip(qint64 n) { m_pos += n; }

    bool int32(qint32 *pValue)
    {
        if (remaining() < 4)
            return false;
        *pValue = qFromBigEndian<qint32>(here());
        m_pos += 4;
        return true;
    }
    bool real(double *pValue)
    {
        if (remaining() < 8)
            return false;
        const quint64 bits = qFromBigEndian<quint64>(here());
        std::memcpy(pValue, &bits, 8);
        m_pos += 8;
        return true;
    }
    // A string: byte length (0xffffffff for a null string), then UTF-16 BE.
    bool string(QString *pValue, int iMaxBytes)
    {
        qint32 iLength = 0;
        if (!int32(&iLength))
            return false;
        if (quint32(iLength) == 0xffffffffu) {
            *pValue = QString();
            return true;
        }
        if (iLength < 0 || iLength % 2 != 0 || iLength > iMaxBytes || iLength > remaining())
            return false;
        QString text(iLength / 2, Qt::Uninitialized);
        for (int i = 0; i < iLength / 2; ++i)
            text[i] = QChar(qFromBigEndian<quint16>(here() + 2 * i));
        m_pos += iLength;
        *pValue = text;
        return true;
    }

private:
    const QByteArray &m_bytes;
    qint64 m_pos = 0;
};

bool fail(QString *pError, const QString &reason)
{
    if (pError)
        *pError = reason;
    return false;
}

QImage decodePng(const QByteArray &png, const QSize &size)
{
    const QImage image = PngDecoder::Decode(png).image;
    return image.size() == size ? image : QImage();
}

// One brush record. `iIndex` counts from 1 for the messages.
bool readBrush(Cursor &in, int iIndex, qint64 *pPixels, CQBrush *pBrush, QString *pError)
{
    const QString where = QStringLiteral("brush %1").arg(iIndex);
    QString name;
    if (!in.string(&name, BrushSetFile::kMaxNameBytes))
        return fail(pError, QStringLiteral("The name of %1 is damaged.").arg(where));
    qint32 iMarker = 0;
    if (!in.int32(&iMarker))
        return fail(pError, QStringLiteral("The file ends inside %1.").arg(where));
    if (iMarker != 1)
        return fail(pError, QStringLiteral("Brush %1 has no tip image.").arg(iIndex));
    // The tip's chunks are checked where they lie, before anything decodes.
    const QByteArray rest = QByteArray::fromRawData(in.here(), in.remaining());
    PngChunks::Png chunks;
    QString reason;
    const PngChunks::Result result = PngChunks::Read(rest, &chunks, &reason);
    if (result == PngChunks::Result::TooLarge)
        return fail(pError, QStringLiteral("The tip of %1 is too large.").arg(where));
    if (result != PngChunks::Result::Ok)
        return fail(pError, QStringLiteral("The tip of %1 is not a readable PNG image.").arg(where));
    const qsizetype iPngBytes = chunks.end;
    const QSize size(int(chunks.header.width), int(chunks.header.height));
    const QByteArray png = chunks.clean;
    *pPixels += qint64(size.width()) * size.height();
    if (*pPixels > BrushSetFile::kMaxSetPixels)
        return fail(pError, QStringLiteral("The tips hold more pixels than a brush set may (%1).").arg(BrushSetFile::kMaxSetPixels));
    in.skip(iPngBytes);
    const QImage tip = decodePng(png, size);
    if (tip.isNull())
        return fail(pError, QStringLiteral("The tip of %1 could not be decoded.").arg(where));

    qint32 iSettings = 0;
    if (!in.int32(&iSettings))
        return fail(pError, QStringLiteral("The file ends inside %1.").arg(where));
    if (iSettings < 0 || iSettings > BrushSetFile::kMaxSettings || iSettings > in.remaining() / kMinSettingBytes)
        return fail(pError, QStringLiteral("The setting count of %1 is damaged.").arg(where));
    pBrush->SetName(name);
    pBrush->SetImage(tip);
    for (int i = 0; i < iSettings; ++i) {
        QString key;
        double dDefault = 0, dValue = 0;
        if (!in.string(&key, BrushSetFile::kMaxNameBytes) || !in.real(&dDefault) || !in.real(&dValue))
            return fail(pError, QStringLiteral("A setting of %1 is damaged.").arg(where));
        // A key this program does not know is skipped (its two doubles are read).
        const int iSetting = CQBrush::SettingIndex(key);
        if (iSetting < 0)
            continue;
        pBrush->SetSavedDefault(CQBrush::Setting(iSetting), dDefault);
        pBrush->SetValue(CQBrush::Setting(iSetting), dValue);
    }
    return true;
}

} // namespace

namespace BrushSetFile {

bool Parse(const QByteArray &bytes, QList<CQBrush *> *pBrushes, QString *pError)
{
    Cursor in(bytes);
    qint32 iMagic = 0, iVersion = 0, iCount = 0;
    if (!in.int32(&iMagic) || iMagic != kMagic)
        return fail(pError, QStringLiteral("The file is not a brush set."));
    if (!in.int32(&iVersion) || !in.int32(&iCount))
        return fail(pError, QStringLiteral("The file ends inside its header."));
    if (iCount < 0 || iCount > kMaxBrushes || iCount > in.remaining() / kMinRecordBytes)
        return fail(pError, QStringLiteral("The brush count (%1) does not fit the file.").arg(iCount));
    std::vector<std::unique_ptr<CQBrush>> brushes;
    qint64 iPixels = 0;
    for (int i = 0; i < iCount; ++i) {
        auto pBrush = std::make_unique<CQBrush>();
        if (!readBrush(in, i + 1, &iPixels, pBrush.get(), pError))
            return false;
        brushes.push_back(std::move(pBrush));
    }
    for (auto &pBrush : brushes)
        pBrushes->append(pBrush.release());
    return true;
}

QByteArray Serialize(const QList<CQBrush *> &brushes)
{
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out << kMagic << kVersion;
    out.setVersion(QDataStream::Qt_4_6); // 12
    out << qint32(brushes.size());
    for (const CQBrush *pBrush : brushes)
        if (!pBrush->Write(out))
            return QByteArray();
    return bytes;
}

bool Read(const QString &path, QList<CQBrush *> *pBrushes, QString *pError)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return fail(pError, file.errorString());
    // The header and the set limits bound any real set well below this.
    constexpr qint64 kMaxFileBytes = qint64(1) << 30;
    if (file.size() > kMaxFileBytes)
        return fail(pError, QStringLiteral("The file is larger than a brush set may be."));
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return fail(pError, file.errorString());
    return Parse(bytes, pBrushes, pError);
}

bool Write(const QString &path, const QList<CQBrush *> &brushes, QString *pError)
{
    const QByteArray bytes = Serialize(brushes);
    if (bytes.isEmpty())
        return fail(pError, QStringLiteral("A brush tip could not be encoded."));
    if (!QDir().mkpath(QFileInfo(path).absolutePath()))
        return fail(pError, QStringLiteral("The folder could not be created."));
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return fail(pError, file.errorString());
    if (file.write(bytes) != bytes.size()) {
        const QString reason = file.errorString();
        file.cancelWriting();
        return fail(pError, reason);
    }
    if (!file.commit())
        return fail(pError, file.errorString());
    return true;
}

} // namespace BrushSetFile
