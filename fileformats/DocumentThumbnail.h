#pragma once
// Small pictures of native documents for file managers, made from as little
// of the file as the picture needs: layers hidden under an opaque layer
// that covers the canvas are never decoded, and a large plain raster
// document is decoded and composed at a fraction of its size. Bounded in
// memory and work whatever the file claims.
#include <QByteArray>
#include <QImage>
#include <QSize>
#include <QString>

class ScratchDB;

namespace DocumentThumbnail {

constexpr int kMaxSide = 1024;
// The most layer pixels one picture decodes, and the most pixels it holds
// at once (layers and canvas as composed).
constexpr qint64 kMaxDecodedPixels = qint64(1) << 26;
constexpr qint64 kMaxHeldPixels = qint64(1) << 24;

// The size a picture of `full` takes within iSide x iSide: the aspect kept,
// never larger than the document.
QSize Fitted(const QSize &full, int iSide);

// The flattened document `bytes` (a .cq file) at most iSide x iSide; null
// with *pError set when the file is damaged or too much work.
QImage FromNative(const QByteArray &bytes, int iSide, ScratchDB &store, QString *pError);

// Whether the file starts like a native document, whatever its name.
bool StartsLikeDocument(const QString &path);
// FromNative of a file, mapped so that the pages of layers nobody sees are
// never read.
QImage FromNativeFile(const QString &path, int iSide, ScratchDB &store, QString *pError);

// Whether the file starts like an OpenRaster archive, whatever its name.
bool StartsLikeOpenRaster(const QString &path);
// The archive's merged image at most iSide x iSide, decoded at a fraction
// of its size; the layers are never read. Null with *pError set when the
// archive has no merged image, or it is damaged or too much work.
QImage FromOpenRasterFile(const QString &path, int iSide, QString *pError);

} // namespace DocumentThumbnail
