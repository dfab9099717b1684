#include "DocumentFile.h"
#include "AtomicFile.h"
#include "DocumentParser.h"
#include "OraFormat.h"
#include "OraReader.h"
#include "Parallel.h"
#include "PngEncoder.h"

#include "Layer.h"

#include <QFile>
#include <QFileInfo>
#include <QPainter>
#include <QThread>
#include <QThreadPool>
#include <QUndoCommand>
#include <QUndoStack>
#include <QtEndian>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <functional>
#include <numeric>

namespace {

// --- Writing ----------------------------------------------------------------

class Writer {
public:
    explicit Writer(qsizetype reserve) { m_bytes.reserve(reserve); }

    void Int(qint32 v)
    {
        char raw[4];
        qToLittleEndian(v, raw);
        m_bytes.append(raw, 4);
    }
    void Real(double d)
    {
        quint64 u;
        std::memcpy(&u, &d, sizeof u);
        char raw[8];
        qToLittleEndian(u, raw);
        m_bytes.append(raw, 8);
    }
    // A container: tag and a placeholder length, patched by End().
    qsizetype Begin(int iTag)
    {
        Int(iTag);
        const qsizetype at = m_bytes.size();
        Int(0);
        return at;
    }
    void End(qsizetype at) { qToLittleEndian(qint32(m_bytes.size() - at - 4), m_bytes.data() + at); }

    void IntRecord(int iTag, qint32 v) { Int(iTag); Int(4); Int(v); }
    void RealRecord(int iTag, double d) { Int(iTag); Int(8); Real(d); }
    void BoolRecord(int iTag, bool b) { Int(iTag); Int(1); m_bytes.append(char(b ? 1 : 0)); }
    void PointRecord(int iTag, const QPointF &p) { Int(iTag); Int(16); Real(p.x()); Real(p.y()); }
    void BytesRecord(int iTag, const QByteArray &payload)
    {
        Int(iTag);
        Int(qint32(payload.size()));
        m_bytes.append(payload);
    }
    void TextRecord(int iTag, const QString &text) { BytesRecord(iTag, text.toLatin1()); }

    QByteArray &bytes() { return m_bytes; }

private:
    QByteArray m_bytes;
};

void writePoint(Writer &w, const PathItem &item)
{
    const qsizetype at = w.Begin(DocumentFile::PointRecord);
    w.IntRecord(DocumentFile::PointKind, item.kind);
    w.PointRecord(DocumentFile::PointFirst, item.first);
    w.PointRecord(DocumentFile::PointSecond, item.second);
    if (item.kind == PathItem::CubicTo || item.kind == PathItem::QuadTo)
        w.PointRecord(DocumentFile::PointControl1, item.control1);
    if (item.kind == PathItem::CubicTo)
        w.PointRecord(DocumentFile::PointControl2, item.control2);
    w.End(at);
}


} // namespace

QByteArray DocumentFile::Serialize(const DocumentData &data)
{
    return Serialize(data, nullptr);
}

QByteArray DocumentFile::Serialize(const DocumentData &data, QString *pError)
{
    for (int i = 0; i < data.layers.size(); ++i) {
        if (data.layers[i].kind == Layer::Raster && data.layers[i].png.isEmpty()) {
            if (pError)
                *pError = QStringLiteral("The pixels of layer %1 could not be encoded (not enough memory).").arg(i + 1);
            return QByteArray();
        }
    }
    qsizetype iReserve = 4096;
    for (const LayerData &layer : data.layers)
        iReserve += layer.png.size() + layer.html.size() + 256;
    Writer w(iReserve);
    w.Int(qint32(kMagic));
    w.TextRecord(Version, QString::fromLatin1(CQ_VERSION));
    w.Int(Canvas);
    w.Int(8);
    w.Int(data.canvas.width());
    w.Int(data.canvas.height());

    const qsizetype layers = w.Begin(Layers);
    w.Int(qint32(data.layers.size()));
    for (const LayerData &layer : data.layers) {
        const qsizetype at = w.Begin(LayerRecord);
        w.IntRecord(LayerKind, layer.kind);
        w.TextRecord(LayerName, layer.name);
        w.IntRecord(LayerBlend, layer.blendingMode);
        w.RealRecord(LayerOpacity, layer.opacity);
        w.BoolRecord(LayerVisible, layer.visible);
        w.RealRecord(LayerZ, layer.z);
        w.PointRecord(LayerPos, layer.pos);
        if (layer.kind == Layer::Raster) {
            w.BytesRecord(LayerPng, layer.png);
        } else {
            const QColor c = layer.textColor;
            w.Int(LayerTextColor);
            w.Int(16);
            w.Int(c.red());
            w.Int(c.green());
            w.Int(c.blue());
            w.Int(c.alpha());
            w.TextRecord(LayerHtml, layer.html);
        }
        // Style records, one per style, as the layer's style manager gave them.
        for (const QByteArray &style : layer.styleRecords)
            w.BytesRecord(StyleRecord, style);
        w.End(at);
    }
    w.End(layers);

    const qsizetype paths = w.Begin(Paths);
    w.Int(qint32(data.paths.size()));
    for (const PathData &path : data.paths) {
        const qsizetype at = w.Begin(PathRecord);
        w.Int(qint32(path.items.size()));
        w.TextRecord(PathName, path.name);
        PathItem start;
        start.kind = PathItem::MoveTo;
        start.first = start.second = path.start;
        writePoint(w, start);
        for (const PathItem &item : path.items)
            writePoint(w, item);
        w.End(at);
    }
    w.End(paths);
    return std::move(w.bytes());
}

bool DocumentFile::Parse(const QByteArray &bytes, DocumentData *pData, QString *pError)
{
    return DocumentParser::Parse(bytes, pData, pError);
}

QByteArray DocumentFile::EncodePng(const QImage &image)
{
    return PngEncoder::Encode(image, PngEncoder::kDocumentLevel);
}

QList<QByteArray> DocumentFile::EncodePngs(const QList<QImage> &images)
{
    QList<QByteArray> result(images.size());
    // Fewer layers than cores: each layer's rows are filtered and compressed in parts.
    const int threads = qMax(1, QThread::idealThreadCount() / qMax(1, int(images.size())));
    QList<std::function<void()>> jobs;
    for (int i = 0; i < images.size(); ++i)
        jobs.append([&images, &result, i, threads] {
            result[i] = PngEncoder::Encode(images[i], PngEncoder::kDocumentLevel, threads);
        });
    runParallel(jobs);
    return result;
}

DocumentData DocumentFile::FromPixels(const QImage &image, const QString &layerName)
{
    DocumentData data;
    data.version = QString::fromLatin1(CQ_VERSION);
    data.canvas = image.size();
    LayerData layer;
    layer.kind = Layer::Raster;
    layer.name = layerName;
    layer.image = image.convertToFormat(QImage::Format_ARGB32);
    data.layers.append(std::move(layer));
    return data;
}

DocumentData DocumentFile::FromImage(const QImage &image, const QString &layerName)
{
    DocumentData data = FromPixels(image, layerName);
    data.layers.first().png = EncodePng(data.layers.first().image);
    return data;
}

bool DocumentFile::ReadWhole(const QString &path, qint64 iMaxSize, const QString &tooLarge, QByteArray *pBytes,
                             QString *pError)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *pError = file.errorString();
        return false;
    }
    if (file.size() > iMaxSize) {
        *pError = tooLarge;
        return false;
    }
    try {
        *pBytes = file.readAll();
    } catch (const std::bad_alloc &) {
        *pError = QStringLiteral("There is not enough memory to open this document.");
        return false;
    }
    if (file.error() != QFileDevice::NoError) {
        *pError = file.errorString();
        return false;
    }
    return true;
}

bool DocumentFile::ReadFile(const QString &path, DocumentData *pData, QString *pError)
{
    QByteArray bytes;
    if (!ReadWhole(path, kMaxFileSize, QStringLiteral("The file is too large to be a document."), &bytes, pError))
        return false;
    if (bytes.startsWith("PK\x03\x04"))
        return OraReader::Parse(bytes, pData, pError);
    return Parse(bytes, pData, pError);
}

bool DocumentFile::IsOpenRasterName(const QString &path)
{
    return QFileInfo(path).suffix().compare(QLatin1String("ora"), Qt::CaseInsensitive) == 0;
}

bool DocumentFile::IsLayeredName(const QString &path)
{
    return QFileInfo(path).suffix().compare(QLatin1String("cq"), Qt::CaseInsensitive) == 0 || IsOpenRasterName(path);
}

bool DocumentFile::IsDocumentPath(const QString &path)
{
    if (IsLayeredName(path))
        return true;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray head = file.read(128);
    return OraFormat::LooksLikeOra(head)
        || (head.size() >= 4 && qFromLittleEndian<quint32>(head.constData()) == kMagic);
}

bool DocumentFile::WriteFile(const QString &path, const QByteArray &bytes, QString *pError)
{
    if (bytes.isEmpty()) {
        *pError = QStringLiteral("The document could not be encoded (not enough memory); nothing was written.");
        return false;
    }
    return AtomicFile::Write(path, bytes, pError);
}

QString DocumentFile::DescribeStyle(const QByteArray &record)
{
    return DocumentParser::DescribeStyle(record);
}
