#include "ImageFile.h"
#include "FileProblem.h"
#include "ImageClaims.h"
#include "JpegStructure.h"
#include "PngDecoder.h"
#include "PngEncoder.h"
#include "ScratchDB.h"

#include <QBuffer>
#include <QPainter>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QImageWriter>
#include <QThread>
#include <QtEndian>

#include <new>

namespace ImageFile {

namespace {

QImage fail(QString *pError, const QString &reason)
{
    if (pError)
        *pError = reason;
    return QImage();
}

QString sizeText(const QSize &size)
{
    return QStringLiteral("%1 x %2").arg(size.width()).arg(size.height());
}

// An uncompressed BMP must hold all the rows its header promises (the
// toolkit's reader would fill the missing ones in silently).
bool bmpComplete(const QByteArray &bytes)
{
    if (bytes.size() < 30 || !bytes.startsWith("BM"))
        return true;
    const auto *p = reinterpret_cast<const uchar *>(bytes.constData());
    const quint32 offset = qFromLittleEndian<quint32>(p + 10);
    const quint32 header = qFromLittleEndian<quint32>(p + 14);
    qint64 width, height, bits, compression = 0;
    if (header == 12) {
        width = qFromLittleEndian<quint16>(p + 18);
        height = qFromLittleEndian<quint16>(p + 20);
        bits = qFromLittleEndian<quint16>(p + 24);
    } else {
        if (bytes.size() < 34)
            return false;
        width = qFromLittleEndian<qint32>(p + 18);
        height = qAbs(qint64(qFromLittleEndian<qint32>(p + 22)));
        bits = qFromLittleEndian<quint16>(p + 28);
        compression = qFromLittleEndian<quint32>(p + 30);
    }
    if ((compression != 0 && compression != 3 && compression != 6) || !Fits(width, height))
        return true; // run-length data has no fixed size; sizes are checked later
    const qint64 rowBytes = (bits * width + 31) / 32 * 4;
    return width > 0 && qint64(offset) + rowBytes * height <= bytes.size();
}

// Everything but PNG goes through the toolkit's readers.
QImage decodeOther(const QByteArray &bytes, QString *pError)
{
    QSize claimed;
    if (JpegStructure::IsJpeg(bytes)) {
        QString reason;
        if (!JpegStructure::Check(bytes, &claimed, &reason))
            return fail(pError, reason);
    }
    if (!bmpComplete(bytes))
        return fail(pError, FileProblem::Damaged(QStringLiteral("The bitmap's pixel data is cut short.")));
    // The readers' own ceiling, in MiB, for what a header may claim.
    const int iLimitMb = int((kMaxPixels * 4) >> 20);
    if (QImageReader::allocationLimit() != iLimitMb)
        QImageReader::setAllocationLimit(iLimitMb);
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    reader.setDecideFormatFromContent(true);
    // The header's own claim first: its size says "too large" whatever the
    // decoder makes of it, and data far too short for it is damage.
    const ImageClaims::Claim claim = ImageClaims::Read(bytes, reader.format());
    if (claim.size.isValid()) {
        const QString problem = ImageClaims::SizeProblem(claim.size);
        if (!problem.isEmpty())
            return fail(pError, problem);
        if (!claim.damage.isEmpty())
            return fail(pError, FileProblem::Damaged(claim.damage));
        if (claim.dataBytes < claim.minimumData)
            return fail(pError, FileProblem::Damaged(QStringLiteral("%1 bytes of data cannot make %2 pixels.")
                                                         .arg(claim.dataBytes)
                                                         .arg(sizeText(claim.size))));
    }
    const QSize size = reader.size();
    if (size.isValid()) {
        const QString problem = ImageClaims::SizeProblem(size);
        if (!problem.isEmpty())
            return fail(pError, problem);
        if (claimed.isValid() && claimed != size)
            return fail(pError, FileProblem::Damaged(QStringLiteral("The image gives its size twice, differently.")));
    } else if (claimed.isValid() && !ImageClaims::SizeProblem(claimed).isEmpty()) {
        return fail(pError, ImageClaims::SizeProblem(claimed));
    }
    QImage image = reader.read();
    if (image.isNull()) {
        if (reader.error() == QImageReader::UnsupportedFormatError)
            return fail(pError, QStringLiteral("The file is not an image in a format the editor can read."));
        return fail(pError, FileProblem::Damaged(reader.errorString()));
    }
    if ((size.isValid() && image.size() != size) || !Fits(image.width(), image.height()))
        return fail(pError, FileProblem::Damaged(QStringLiteral("The decoder stopped before the last row.")));
    // In place where the formats allow it, so the peak stays at one image.
    image.convertTo(QImage::Format_ARGB32);
    if (image.isNull())
        return fail(pError, NoMemoryText(size.width(), size.height()));
    return image;
}

} // namespace

QString NoMemoryText(qint64 width, qint64 height)
{
    return QStringLiteral("There is not enough memory for an image of %1 x %2 pixels.").arg(width).arg(height);
}

QImage Decode(const QByteArray &bytes, QString *pError)
{
    try {
        if (bytes.startsWith("\x89PNG")) {
            PngDecoder::Result result = PngDecoder::Decode(bytes);
            if (result.status != PngDecoder::Status::Ok)
                return fail(pError, result.reason);
            return std::move(result.image);
        }
        return decodeOther(bytes, pError);
    } catch (const std::bad_alloc &) {
        return fail(pError, QStringLiteral("There is not enough memory to read the image."));
    }
}

QImage Read(const QString &path, QString *pError)
{
    QFile file(path);
    if (QFileInfo(path).isDir())
        return fail(pError, QStringLiteral("This is a folder, not a file."));
    if (!QFileInfo(path).isFile())
        return fail(pError, QStringLiteral("The file does not exist."));
    if (!file.open(QIODevice::ReadOnly))
        return fail(pError, file.errorString());
    if (file.size() > kMaxFileSize)
        return fail(pError, QStringLiteral("The file is too large to be an image the editor can open."));
    QByteArray bytes;
    try {
        bytes = file.readAll();
    } catch (const std::bad_alloc &) {
        return fail(pError, QStringLiteral("There is not enough memory to read the file."));
    }
    if (file.error() != QFileDevice::NoError)
        return fail(pError, file.errorString());
    return Decode(bytes, pError);
}

bool KeepsAlpha(const QByteArray &format)
{
    const QByteArray lower = format.toLower();
    return lower != "jpg" && lower != "jpeg" && lower != "bmp" && lower != "ppm";
}

QByteArray Encode(const QImage &image, const QByteArray &format, int iQuality, QString *pError,
                  const QColor &background)
{
    auto failed = [pError](const QString &reason) {
        if (pError)
            *pError = reason;
        return QByteArray();
    };
    if (image.isNull())
        return failed(QStringLiteral("There is no image to write."));
    const QByteArray lower = format.toLower();
    try {
        if (lower == "png") {
            QByteArray bytes = PngEncoder::Encode(image, PngEncoder::LevelForQuality(iQuality),
                                                  qMax(1, QThread::idealThreadCount()));
            if (bytes.isEmpty())
                return failed(QStringLiteral("There is not enough memory to encode the image."));
            return bytes;
        }
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        QImageWriter writer(&buffer, lower);
        writer.setQuality(iQuality);
        // A format without alpha gets the picture laid on the background,
        // not the colours that transparent pixels happen to carry (often black).
        QImage written = image;
        if (image.hasAlphaChannel() && !KeepsAlpha(lower)) {
            written = QImage(image.size(), QImage::Format_RGB32);
            written.fill(QColor(background.red(), background.green(), background.blue()));
            QPainter(&written).drawImage(0, 0, image);
        }
        if (!writer.write(written))
            return failed(writer.error() == QImageWriter::UnsupportedFormatError
                              ? QStringLiteral("Images cannot be written as \"%1\".").arg(QString::fromLatin1(format))
                              : writer.errorString());
        return bytes;
    } catch (const std::bad_alloc &) {
        return failed(QStringLiteral("There is not enough memory to encode the image."));
    }
}

void ServeScratchStore(ScratchDB &store)
{
    store.SetImageWriter(&PngEncoder::Write);
    // The store's files are its own: written whole into its private folder
    // and changed by nobody after, so they are decoded where they lie
    // instead of copied into fresh memory first (reading a snapshot of
    // 1 GiB took a second GiB of it and a third more time). Files others may
    // change are read, since one shrinking under the mapping would end the
    // program.
    store.SetImageReader([](const QString &fileName) {
        QFile file(fileName);
        if (!file.open(QIODevice::ReadOnly) || file.size() <= 0 || file.size() > kMaxFileSize)
            return QImage();
        const uchar *pMapped = file.map(0, file.size());
        if (!pMapped)
            return Read(fileName);
        QImage image = Decode(QByteArray::fromRawData(reinterpret_cast<const char *>(pMapped), file.size()));
        file.unmap(const_cast<uchar *>(pMapped));
        return image;
    });
}

} // namespace ImageFile
