#include "RecoveryFile.h"

#include "DocumentFile.h"
#include "ImageFile.h"

#include <QBuffer>
#include <QFile>
#include <QPainter>
#include <QtEndian>

#include <cstring>
#include <zlib.h>

namespace {

const QString kDamaged = QStringLiteral("The recovery copy is damaged.");

quint32 crc(quint32 running, const char *p, qint64 n)
{
    while (n > 0) {
        const uInt chunk = uInt(qMin<qint64>(n, 1 << 30));
        running = quint32(::crc32(running, reinterpret_cast<const Bytef *>(p), chunk));
        p += chunk;
        n -= chunk;
    }
    return running;
}

void putU32(QByteArray &out, quint32 v)
{
    char raw[4];
    qToLittleEndian(v, raw);
    out.append(raw, 4);
}

void putU64(QByteArray &out, quint64 v)
{
    char raw[8];
    qToLittleEndian(v, raw);
    out.append(raw, 8);
}

void putBytes(QByteArray &out, const QByteArray &bytes)
{
    putU32(out, quint32(bytes.size()));
    out.append(bytes);
}

// Reads fields from a buffer, checking each against what remains.
class Reader {
public:
    Reader(const char *p, qint64 n) : m_p(p), m_n(n) {}
    bool U32(quint32 *v) { return Take(4, [&](const char *p) { *v = qFromLittleEndian<quint32>(p); }); }
    bool U64(quint64 *v) { return Take(8, [&](const char *p) { *v = qFromLittleEndian<quint64>(p); }); }
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

// The header fields after the magic; the document's length in *pDocLength.
bool readHeader(Reader &r, RecoveryInfo *pInfo, quint64 *pDocLength, QString *pError)
{
    quint32 version = 0;
    if (!r.U32(&version)) {
        *pError = kDamaged;
        return false;
    }
    if (version != RecoveryFile::kVersion) {
        *pError = QStringLiteral("The recovery copy was made by another version of Chromaquill.");
        return false;
    }
    QByteArray title, file, thumb;
    quint64 msecs = 0;
    if (!r.Bytes(RecoveryFile::kMaxText, &title) || !r.Bytes(RecoveryFile::kMaxText, &file) || !r.U64(&msecs)
        || !r.Bytes(RecoveryFile::kMaxThumbnail, &thumb) || !r.U64(pDocLength)) {
        *pError = kDamaged;
        return false;
    }
    RecoveryInfo info;
    info.title = QString::fromUtf8(title);
    info.fileName = QString::fromUtf8(file);
    info.written = QDateTime::fromMSecsSinceEpoch(qint64(msecs & 0x7fffffffffffffffULL));
    // The thumbnail is small by construction; anything else is not shown.
    QString ignored;
    const QImage picture = thumb.isEmpty() ? QImage() : ImageFile::Decode(thumb, &ignored);
    if (picture.width() <= RecoveryFile::kThumbnailSide && picture.height() <= RecoveryFile::kThumbnailSide)
        info.thumbnail = picture;
    if (pInfo)
        *pInfo = info;
    return true;
}

} // namespace

namespace RecoveryFile {

bool IsRecovery(const QByteArray &head)
{
    return head.size() >= 8 && std::memcmp(head.constData(), kMagic, 8) == 0;
}

QImage Thumbnail(const DocumentData &data)
{
    if (data.canvas.isEmpty())
        return QImage();
    const QSize size = data.canvas.scaled(kThumbnailSide, kThumbnailSide, Qt::KeepAspectRatio).expandedTo(QSize(1, 1));
    const double scale = double(size.width()) / data.canvas.width();
    QImage thumb(size, QImage::Format_ARGB32_Premultiplied);
    thumb.fill(Qt::transparent);
    QList<const LayerData *> order;
    for (const LayerData &layer : data.layers)
        if (layer.kind == 0 && layer.visible && !layer.image.isNull())
            order.append(&layer);
    std::stable_sort(order.begin(), order.end(), [](const LayerData *a, const LayerData *b) { return a->z < b->z; });
    QPainter painter(&thumb);
    for (const LayerData *pLayer : std::as_const(order)) {
        const QSize scaled = (QSizeF(pLayer->image.size()) * scale).toSize().expandedTo(QSize(1, 1));
        const int mode = pLayer->blendingMode;
        painter.setCompositionMode(mode >= 0 && mode <= QPainter::CompositionMode_Exclusion
                                       ? QPainter::CompositionMode(mode)
                                       : QPainter::CompositionMode_SourceOver);
        painter.setOpacity(qBound(0.0, pLayer->opacity, 1.0));
        painter.drawImage(QRectF(pLayer->pos * scale, QSizeF(scaled)),
                          pLayer->image.scaled(scaled, Qt::IgnoreAspectRatio, Qt::FastTransformation));
    }
    painter.end();
    return thumb.convertToFormat(QImage::Format_ARGB32);
}

QByteArray Encode(const RecoveryInfo &info, DocumentData &data, QString *pError)
{
    for (LayerData &layer : data.layers)
        if (layer.kind == 0 && layer.png.isEmpty())
            layer.png = DocumentFile::EncodePng(layer.image);
    const QByteArray document = DocumentFile::Serialize(data, pError);
    if (document.isEmpty())
        return QByteArray();
    QByteArray thumb;
    if (!info.thumbnail.isNull()) {
        QBuffer buffer(&thumb);
        buffer.open(QIODevice::WriteOnly);
        if (!info.thumbnail.save(&buffer, "PNG") || thumb.size() > qsizetype(kMaxThumbnail))
            thumb.clear();
    }
    QByteArray out;
    out.reserve(document.size() + thumb.size() + 1024);
    out.append(kMagic, 8);
    putU32(out, kVersion);
    putBytes(out, info.title.toUtf8().left(kMaxText));
    putBytes(out, info.fileName.toUtf8().left(kMaxText));
    putU64(out, quint64(info.written.toMSecsSinceEpoch()));
    putBytes(out, thumb);
    putU64(out, quint64(document.size()));
    out.append(document);
    putU32(out, crc(0, out.constData(), out.size()));
    return out;
}

bool Parse(const QByteArray &bytes, RecoveryInfo *pInfo, DocumentData *pData, QString *pError)
{
    if (!IsRecovery(bytes)) {
        *pError = QStringLiteral("This is not a recovery copy.");
        return false;
    }
    if (bytes.size() < 12 || crc(0, bytes.constData(), bytes.size() - 4)
                                 != qFromLittleEndian<quint32>(bytes.constData() + bytes.size() - 4)) {
        *pError = kDamaged;
        return false;
    }
    Reader r(bytes.constData() + 8, bytes.size() - 12);
    quint64 length = 0;
    RecoveryInfo info;
    if (!readHeader(r, &info, &length, pError))
        return false;
    if (length != quint64(r.Left())) {
        *pError = kDamaged;
        return false;
    }
    DocumentData data;
    if (!DocumentFile::Parse(QByteArray::fromRawData(r.At(), qsizetype(length)), &data, pError))
        return false;
    if (pInfo)
        *pInfo = info;
    if (pData)
        *pData = std::move(data);
    return true;
}

bool Check(const QString &path, RecoveryInfo *pInfo, QString *pError)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *pError = file.errorString();
        return false;
    }
    const qint64 size = file.size();
    if (size > DocumentFile::kMaxFileSize + 2 * qint64(kMaxText) + kMaxThumbnail + 64) {
        *pError = QStringLiteral("The file is too large to be a recovery copy.");
        return false;
    }
    // The header is small; the checksum is taken in pieces.
    const QByteArray head = file.read(qMin<qint64>(size, 8 + 4 + 2 * (4 + kMaxText) + 8 + 4 + kMaxThumbnail + 8));
    if (!IsRecovery(head)) {
        *pError = QStringLiteral("This is not a recovery copy.");
        return false;
    }
    Reader r(head.constData() + 8, head.size() - 8);
    quint64 length = 0;
    RecoveryInfo info;
    if (!readHeader(r, &info, &length, pError))
        return false;
    if (length != quint64(size - 8 - r.Used(head.constData() + 8) - 4)) {
        *pError = kDamaged;
        return false;
    }
    file.seek(0);
    quint32 sum = 0;
    qint64 left = size - 4;
    QByteArray chunk;
    while (left > 0) {
        chunk = file.read(qMin<qint64>(left, 1 << 22));
        if (chunk.isEmpty()) {
            *pError = file.errorString();
            return false;
        }
        sum = crc(sum, chunk.constData(), chunk.size());
        left -= chunk.size();
    }
    const QByteArray tail = file.read(4);
    if (tail.size() != 4 || qFromLittleEndian<quint32>(tail.constData()) != sum) {
        *pError = kDamaged;
        return false;
    }
    if (pInfo)
        *pInfo = info;
    return true;
}

bool Read(const QString &path, RecoveryInfo *pInfo, DocumentData *pData, QString *pError)
{
    QByteArray bytes;
    if (!DocumentFile::ReadWhole(path, DocumentFile::kMaxFileSize + 2 * qint64(kMaxText) + kMaxThumbnail + 64,
                                 QStringLiteral("The file is too large to be a recovery copy."), &bytes, pError))
        return false;
    return Parse(bytes, pInfo, pData, pError);
}

} // namespace RecoveryFile
