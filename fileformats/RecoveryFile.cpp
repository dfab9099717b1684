#include "RecoveryFile.h"

#include "DocumentFile.h"
#include "ByteFields.h"
#include "ImageFile.h"
#include "RecoveryFolder.h"

#include <QBuffer>
#include <QFile>
#include <QPainter>
#include <QtEndian>

#include <cstring>
#include <zlib.h>

using namespace ByteFields;

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

QByteArray Encode(const RecoveryInfo &info, DocumentData &data, QString *pError,
                  const RecoveryHistory::History *pHistory)
{
    for (LayerData &layer : data.layers)
        if (layer.kind == 0 && layer.png.isEmpty())
            layer.png = DocumentFile::EncodePng(layer.image);
    const QByteArray document = DocumentFile::Serialize(data, pError);
    if (document.isEmpty())
        return QByteArray();
    const QByteArray history =
        pHistory && !pHistory->steps.isEmpty() ? RecoveryHistory::Encode(*pHistory) : QByteArray();
    if (history.size() > qsizetype(kMaxHistory)) {
        *pError = QStringLiteral("The undo history is too large to keep.");
        return QByteArray();
    }
    QByteArray thumb;
    if (!info.thumbnail.isNull()) {
        QBuffer buffer(&thumb);
        buffer.open(QIODevice::WriteOnly);
        if (!info.thumbnail.save(&buffer, "PNG") || thumb.size() > qsizetype(kMaxThumbnail))
            thumb.clear();
    }
    QByteArray out;
    out.reserve(document.size() + history.size() + thumb.size() + 1024);
    out.append(kMagic, 8);
    putU32(out, kVersion);
    putBytes(out, info.title.toUtf8().left(kMaxText));
    putBytes(out, info.fileName.toUtf8().left(kMaxText));
    putU64(out, quint64(info.written.toMSecsSinceEpoch()));
    putBytes(out, thumb);
    putU64(out, quint64(document.size()));
    out.append(document);
    putU64(out, quint64(history.size()));
    out.append(history);
    putU32(out, crc(0, out.constData(), out.size()));
    return out;
}

namespace {

// The history section's bytes after the document: false when its length
// does not add up to what remains.
bool historyBytes(const char *p, qint64 n, QByteArray *pOut)
{
    Reader r(p, n);
    quint64 length = 0;
    if (!r.U64(&length) || length > kMaxHistory || length != quint64(r.Left()))
        return false;
    *pOut = QByteArray::fromRawData(r.At(), qsizetype(length));
    return true;
}

// The history as far as it adds up; what was lost goes into the info.
void readHistory(const QByteArray &bytes, const QList<int> *pKinds, const QString &undoFolder, RecoveryInfo &info,
                 RecoveryHistory::History *pHistory)
{
    RecoveryHistory::History history;
    if (bytes.isEmpty()) {
        // Written without one: nothing was lost.
    } else if (!RecoveryHistory::Parse(bytes, pKinds, &history)) {
        history = RecoveryHistory::History();
        info.historyNote = QStringLiteral("The undo history is damaged: the document comes back without it.");
    } else {
        if (!undoFolder.isEmpty())
            RecoveryHistory::Cut(history, RecoveryHistory::MissingFiles(history, undoFolder));
        info.historyNote = RecoveryHistory::Note(history);
    }
    info.historySteps = history.isEmpty() ? 0 : int(history.steps.size()) - 1;
    if (pHistory)
        *pHistory = std::move(history);
}

bool parse(const QByteArray &bytes, const QString &undoFolder, RecoveryInfo *pInfo, DocumentData *pData,
           QString *pError, RecoveryHistory::History *pHistory)
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
    QByteArray history;
    if (length > quint64(r.Left()) || !historyBytes(r.At() + length, r.Left() - qint64(length), &history)) {
        *pError = kDamaged;
        return false;
    }
    DocumentData data;
    if (!DocumentFile::Parse(QByteArray::fromRawData(r.At(), qsizetype(length)), &data, pError))
        return false;
    QList<int> kinds;
    for (const LayerData &layer : std::as_const(data.layers))
        kinds.append(layer.kind);
    readHistory(history, &kinds, undoFolder, info, pHistory);
    if (pInfo)
        *pInfo = info;
    if (pData)
        *pData = std::move(data);
    return true;
}

} // namespace

bool Parse(const QByteArray &bytes, RecoveryInfo *pInfo, DocumentData *pData, QString *pError,
           RecoveryHistory::History *pHistory)
{
    return parse(bytes, QString(), pInfo, pData, pError, pHistory);
}

bool Check(const QString &path, RecoveryInfo *pInfo, QString *pError)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *pError = file.errorString();
        return false;
    }
    const qint64 size = file.size();
    if (size > kMaxCopySize) {
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
    const qint64 historyAt = 8 + r.Used(head.constData() + 8) + qint64(qMin<quint64>(length, quint64(size)));
    if (length > quint64(size) || historyAt + 8 + 4 > size) {
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
    // What of the history would come back, to say so before opening.
    QByteArray section;
    if (!file.seek(historyAt) || (section = file.read(size - 4 - historyAt)).size() != size - 4 - historyAt) {
        *pError = kDamaged;
        return false;
    }
    QByteArray history;
    if (!historyBytes(section.constData(), section.size(), &history)) {
        *pError = kDamaged;
        return false;
    }
    readHistory(history, nullptr, RecoveryFolder::UndoFolder(path), info, nullptr);
    if (pInfo)
        *pInfo = info;
    return true;
}

bool Read(const QString &path, RecoveryInfo *pInfo, DocumentData *pData, QString *pError,
          RecoveryHistory::History *pHistory)
{
    QByteArray bytes;
    if (!DocumentFile::ReadWhole(path, kMaxCopySize, QStringLiteral("The file is too large to be a recovery copy."),
                                 &bytes, pError))
        return false;
    return parse(bytes, RecoveryFolder::UndoFolder(path), pInfo, pData, pError, pHistory);
}

} // namespace RecoveryFile
