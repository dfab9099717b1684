#pragma once
#include "DocumentData.h"

#include <QByteArray>
#include <QString>


// The native document file (.cq): a magic number and tagged records,
// little-endian, with container lengths patched in after their contents.
// Serialize/Parse work on plain data; DocumentBuilder connects that data to
// a live document. Nothing here shows a message: failures come
// back as a reason text for the caller to report.
class DocumentFile {
public:
    static constexpr quint32 kMagic = 0x1337D00D;
    enum Tag {
        Version = 1000, Canvas = 2000, Layers = 3000, LayerRecord = 4000,
        LayerKind = 4001, LayerName = 4002, LayerBlend = 4003, LayerOpacity = 4004,
        LayerVisible = 4005, LayerZ = 4006, LayerPos = 4007, LayerPng = 4008,
        LayerTextColor = 4009, LayerHtml = 4010,
        Paths = 5000, PathRecord = 6000, PathName = 6001, PointRecord = 6002,
        PointKind = 6003, PointFirst = 6004, PointSecond = 6005,
        PointControl1 = 6006, PointControl2 = 6007,
        StyleRecord = 7000, StyleName = 7001, StyleEnabled = 7002
    };

    // What the reader accepts (each layer's pixels: ImageFile::Fits).
    // A whole document's layers must fit in memory together (LayerBudget).
    static constexpr qint64 kMaxFileSize = qint64(2) << 30;

    // Empty when a raster layer has no encoded pixels (its encoding
    // failed): such a document must not be written.
    static QByteArray Serialize(const DocumentData &data);
    static QByteArray Serialize(const DocumentData &data, QString *pError);
    // Fills *pData only when the whole buffer is a valid document (PNGs
    // decoded). On failure *pError says why and *pData is untouched.
    static bool Parse(const QByteArray &bytes, DocumentData *pData, QString *pError);

    // A one-layer document from an image, as opening an image makes it: the
    // pixels only, encoded when the document is saved.
    static DocumentData FromPixels(const QImage &image, const QString &layerName);
    // The same with the layer's PNG encoded, ready to be serialized.
    static DocumentData FromImage(const QImage &image, const QString &layerName);

    // What the file stores for a raster layer: PNG, compressed fast, the
    // pixels exactly as given. Empty when encoding failed (memory ran out).
    static QByteArray EncodePng(const QImage &image);
    static QList<QByteArray> EncodePngs(const QList<QImage> &images);

    // Whether a file opens as a document (native or OpenRaster, by its
    // suffix or its first bytes) rather than as an image.
    static bool IsDocumentPath(const QString &path);
    static bool IsOpenRasterName(const QString &path);
    // Whether saving writes the path as a document (.cq or .ora), not as an image.
    static bool IsLayeredName(const QString &path);

    // File level: read with a size limit, write atomically (empty bytes
    // are refused and leave any earlier file alone). Reading goes by the
    // contents: an OpenRaster archive is read as one (OraReader).
    static bool ReadFile(const QString &path, DocumentData *pData, QString *pError);
    // The whole file, refused with `tooLarge` past iMaxSize bytes before
    // anything is read, and without a crash when memory runs out.
    static bool ReadWhole(const QString &path, qint64 iMaxSize, const QString &tooLarge, QByteArray *pBytes,
                          QString *pError);
    static bool WriteFile(const QString &path, const QByteArray &bytes, QString *pError);

    // The names and enabled flags of a layer's style records (for listings).
    static QString DescribeStyle(const QByteArray &record);
};
