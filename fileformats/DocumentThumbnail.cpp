#include "DocumentThumbnail.h"

#include "Document.h"
#include "DocumentBuilder.h"
#include "DocumentFile.h"
#include "DocumentParser.h"
#include "Layer.h"
#include "OraArchive.h"
#include "OraFormat.h"
#include "Parallel.h"
#include "PngChunks.h"
#include "PngDecoder.h"

#include <QFile>
#include <QPainter>
#include <QtEndian>

#include <algorithm>
#include <memory>
#include <new>
#include <numeric>

namespace DocumentThumbnail {

namespace {

bool anyStyleEnabled(const LayerData &layer)
{
    for (const QByteArray &record : layer.styleRecords)
        if (DocumentParser::DescribeStyle(record).endsWith(QLatin1String("(enabled)")))
            return true;
    return false;
}

// Whether the layer hides everything beneath it: plain, fully opaque by its
// PNG type (no alpha channel, no transparent colour) and covering the canvas.
bool covers(const LayerData &layer, const PngChunks::Header &h, bool bTransparency, const QSize &canvas)
{
    return layer.kind == Layer::Raster && layer.visible && layer.opacity == 1.0
        && layer.blendingMode == QPainter::CompositionMode_SourceOver && layer.pos == QPointF(0, 0)
        && !anyStyleEnabled(layer) && (h.colorType == 0 || h.colorType == 2 || h.colorType == 3) && !bTransparency
        && qint64(h.width) >= canvas.width() && qint64(h.height) >= canvas.height();
}

QString tooLarge()
{
    return QStringLiteral("The document is too large to make a thumbnail of.");
}

} // namespace

QSize Fitted(const QSize &full, int iSide)
{
    if (full.width() <= iSide && full.height() <= iSide)
        return full;
    const QSize fitted = full.scaled(iSide, iSide, Qt::KeepAspectRatio);
    return QSize(qMax(1, fitted.width()), qMax(1, fitted.height()));
}

QImage FromNative(const QByteArray &bytes, int iSide, ScratchDB &store, QString *pError)
{
    DocumentData data;
    if (!DocumentParser::Parse(bytes, &data, pError, DocumentParser::Pixels::Leave))
        return QImage();

    // Stacking order, bottom first, as the document composes.
    QList<int> order;
    for (int i = 0; i < data.layers.size(); ++i)
        if (data.layers[i].visible)
            order.append(i);
    std::stable_sort(order.begin(), order.end(), [&data](int a, int b) { return data.layers[a].z < data.layers[b].z; });

    // From the top down until a layer hides the rest.
    QList<int> shown;
    QList<PngChunks::Header> headers;
    bool bPlain = true;
    for (qsizetype k = order.size() - 1; k >= 0; --k) {
        const LayerData &layer = data.layers[order[k]];
        shown.prepend(order[k]);
        bPlain = bPlain && layer.kind == Layer::Raster && !anyStyleEnabled(layer);
        if (layer.kind != Layer::Raster) {
            headers.prepend(PngChunks::Header());
            continue;
        }
        PngChunks::Png png;
        QString reason;
        if (PngChunks::Read(layer.png, &png, &reason) != PngChunks::Result::Ok) {
            *pError = QStringLiteral("The pixels of layer %1 are not a readable PNG image: %2").arg(order[k] + 1).arg(reason);
            return QImage();
        }
        headers.prepend(png.header);
        if (covers(layer, png.header, !png.transparency.isEmpty(), data.canvas))
            break;
    }

    // A plain raster document is decoded and composed at 1/factor of its size.
    const QSize canvas = data.canvas;
    const int iFactor = bPlain ? qMax(1, qMax(canvas.width(), canvas.height()) / (2 * iSide)) : 1;
    auto reduced = [iFactor](qint64 n) { return (n + iFactor - 1) / iFactor; };
    qint64 iDecoded = 0, iHeld = 2 * reduced(canvas.width()) * reduced(canvas.height());
    for (const PngChunks::Header &h : std::as_const(headers)) {
        iDecoded += qint64(h.width) * h.height;
        iHeld += reduced(h.width) * reduced(h.height);
        // An interlaced image is whole before it is reduced.
        if (h.interlace != 0)
            iHeld += qint64(h.width) * h.height;
    }
    if (iDecoded > kMaxDecodedPixels || iHeld > kMaxHeldPixels) {
        *pError = tooLarge();
        return QImage();
    }

    QList<PngDecoder::Result> results(shown.size());
    QList<std::function<void()>> jobs;
    for (int j = 0; j < shown.size(); ++j)
        if (data.layers[shown[j]].kind == Layer::Raster)
            jobs.append([&data, &shown, &results, j, iFactor] {
                try {
                    results[j] = PngDecoder::DecodeReduced(data.layers[shown[j]].png, iFactor);
                } catch (const std::bad_alloc &) {
                    results[j].status = PngDecoder::Status::NoMemory;
                }
            });
    runParallel(jobs);

    DocumentData picture;
    picture.canvas = QSize(int(reduced(canvas.width())), int(reduced(canvas.height())));
    for (int j = 0; j < shown.size(); ++j) {
        LayerData layer = data.layers[shown[j]];
        layer.png.clear();
        if (layer.kind == Layer::Raster) {
            if (results[j].status != PngDecoder::Status::Ok) {
                *pError = QStringLiteral("The pixels of layer %1 are not a readable PNG image: %2")
                              .arg(shown[j] + 1)
                              .arg(results[j].reason);
                return QImage();
            }
            layer.image = std::move(results[j].image);
            layer.pos /= iFactor;
        }
        picture.layers.append(std::move(layer));
    }
    try {
        const std::unique_ptr<Document> pDocument(DocumentBuilder::Build(picture, store));
        const QImage flat = pDocument->Flattened();
        const QSize size = Fitted(canvas, iSide);
        return flat.size() == size ? flat : flat.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    } catch (const std::bad_alloc &) {
        *pError = tooLarge();
        return QImage();
    }
}

bool StartsLikeDocument(const QString &path)
{
    QFile file(path);
    char head[4];
    return file.open(QIODevice::ReadOnly) && file.read(head, 4) == 4 && qFromLittleEndian<quint32>(head) == DocumentFile::kMagic;
}

namespace {

// The file's bytes, mapped where the system allows (they live as long as
// the file stays open); false when it cannot be read or is larger than any
// document.
bool mapped(QFile &file, QByteArray *pBytes, QString *pError)
{
    if (!file.open(QIODevice::ReadOnly)) {
        *pError = file.errorString();
        return false;
    }
    if (file.size() > DocumentFile::kMaxFileSize) {
        *pError = QStringLiteral("The file is too large to be a document.");
        return false;
    }
    const uchar *pMapped = file.size() > 0 ? file.map(0, file.size()) : nullptr;
    *pBytes = pMapped ? QByteArray::fromRawData(reinterpret_cast<const char *>(pMapped), file.size()) : file.readAll();
    return true;
}

} // namespace

QImage FromNativeFile(const QString &path, int iSide, ScratchDB &store, QString *pError)
{
    QFile file(path);
    QByteArray bytes;
    return mapped(file, &bytes, pError) ? FromNative(bytes, iSide, store, pError) : QImage();
}

bool StartsLikeOpenRaster(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) && OraFormat::LooksLikeOra(file.read(128));
}

QImage FromOpenRasterFile(const QString &path, int iSide, QString *pError)
{
    QFile file(path);
    QByteArray bytes;
    OraArchiveReader archive;
    if (!mapped(file, &bytes, pError) || !archive.Open(bytes, pError))
        return QImage();
    const QString merged = QLatin1String(OraFormat::kMerged);
    if (!archive.Contains(merged)) {
        *pError = QStringLiteral("The archive has no merged image.");
        return QImage();
    }
    QByteArray png;
    if (!archive.Read(merged, DocumentFile::kMaxFileSize, &png, pError))
        return QImage();
    PngChunks::Png chunks;
    QString reason;
    if (PngChunks::Read(png, &chunks, &reason) != PngChunks::Result::Ok) {
        *pError = QStringLiteral("The merged image is not a readable PNG image: %1").arg(reason);
        return QImage();
    }
    const QSize full(int(chunks.header.width), int(chunks.header.height));
    const int iFactor = qMax(1, qMax(full.width(), full.height()) / (2 * iSide));
    qint64 iHeld = qint64((full.width() + iFactor - 1) / iFactor) * ((full.height() + iFactor - 1) / iFactor);
    if (chunks.header.interlace != 0)
        iHeld += qint64(full.width()) * full.height();
    if (iHeld > kMaxHeldPixels) {
        *pError = tooLarge();
        return QImage();
    }
    PngDecoder::Result result;
    try {
        result = PngDecoder::DecodeReduced(png, iFactor);
    } catch (const std::bad_alloc &) {
        *pError = tooLarge();
        return QImage();
    }
    if (result.status != PngDecoder::Status::Ok) {
        *pError = QStringLiteral("The merged image is not a readable PNG image: %1").arg(result.reason);
        return QImage();
    }
    const QSize size = Fitted(full, iSide);
    return result.image.size() == size ? result.image
                                       : result.image.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

} // namespace DocumentThumbnail
