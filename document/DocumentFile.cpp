#include "DocumentFile.h"
#include "ImageFile.h"
#include "PngEncoder.h"

#include "Layer.h"

#include <QBuffer>
#include <QFile>
#include <QImageReader>
#include <QImageWriter>
#include <QPainter>
#include <QSaveFile>
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

// Runs every job on the pool's threads (both cores) and waits for all.
void runParallel(const QList<std::function<void()>> &jobs)
{
    if (jobs.size() <= 1) {
        for (const auto &job : jobs)
            job();
        return;
    }
    QThreadPool pool;
    pool.setMaxThreadCount(qMin(int(jobs.size()), qMax(1, QThread::idealThreadCount())));
    for (const auto &job : jobs)
        pool.start(job);
    pool.waitForDone();
}

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

// --- Reading ----------------------------------------------------------------

// A bounded view of the buffer: every read checks what is left in it, so a
// record can never reach past its container or the end of the file.
class Span {
public:
    Span(const char *pData, qsizetype begin, qsizetype end) : m_pData(pData), m_pos(begin), m_end(end) {}

    qsizetype left() const { return m_end - m_pos; }
    qsizetype pos() const { return m_pos; }
    bool atEnd() const { return m_pos >= m_end; }

    bool Int(qint32 *pValue)
    {
        if (left() < 4)
            return false;
        *pValue = qFromLittleEndian<qint32>(m_pData + m_pos);
        m_pos += 4;
        return true;
    }
    bool Real(double *pValue)
    {
        if (left() < 8)
            return false;
        const quint64 u = qFromLittleEndian<quint64>(m_pData + m_pos);
        std::memcpy(pValue, &u, sizeof u);
        m_pos += 8;
        return true;
    }
    const char *Take(qsizetype n)
    {
        if (n < 0 || left() < n)
            return nullptr;
        const char *p = m_pData + m_pos;
        m_pos += n;
        return p;
    }
    // The next n bytes as a span of their own; this one moves past them.
    Span Sub(qsizetype n)
    {
        Span s(m_pData, m_pos, m_pos + n);
        m_pos += n;
        return s;
    }

private:
    const char *m_pData;
    qsizetype m_pos;
    qsizetype m_end;
};

class Parser {
public:
    Parser(const QByteArray &bytes) : m_bytes(bytes) {}

    bool Run(DocumentData *pData);
    QString error() const { return m_error; }

private:
    bool Fail(const QString &text)
    {
        if (m_error.isEmpty())
            m_error = text;
        return false;
    }
    bool Header(Span &span, qint32 *pTag, Span *pPayload);
    bool Fixed(const Span &payload, int iSize, qint32 iTag);
    bool ReadInt(Span payload, int iTag, qint32 *pValue);
    bool ReadReal(Span payload, int iTag, double *pValue);
    bool ReadPoint(Span payload, int iTag, QPointF *pPoint);
    static QString Text(Span payload) { const qsizetype n = payload.left(); return QString::fromLatin1(payload.Take(n), n); }
    static QByteArray Bytes(Span payload) { const qsizetype n = payload.left(); return QByteArray(payload.Take(n), n); }

    // Reads the records of a span one by one; stops at the first that fails.
    template <typename F>
    bool Records(Span span, F &&onRecord);
    // A counted list of records tagged iRecordTag; noun names them in messages.
    template <typename T>
    bool List(Span span, qint32 iRecordTag, const QString &noun, QList<T> *pItems,
              bool (Parser::*readOne)(Span, T *, int));
    bool OneLayer(Span span, LayerData *pLayer, int iIndex);
    bool OnePath(Span span, PathData *pPath, int iIndex);
    bool OnePoint(Span span, PathItem *pItem);
    bool DecodeImages(DocumentData *pData);

    const QByteArray &m_bytes;
    QString m_error;
};

bool Parser::Header(Span &span, qint32 *pTag, Span *pPayload)
{
    const qsizetype at = span.pos();
    qint32 iLength = 0;
    if (!span.Int(pTag) || !span.Int(&iLength))
        return Fail(QStringLiteral("The file ends in the middle of a record (offset %1).").arg(at));
    if (iLength < 0 || iLength > span.left())
        return Fail(QStringLiteral("Record %1 at offset %2 claims %3 bytes, but only %4 remain.")
                        .arg(*pTag).arg(at).arg(iLength).arg(span.left()));
    *pPayload = span.Sub(iLength);
    return true;
}

bool Parser::Fixed(const Span &payload, int iSize, qint32 iTag)
{
    if (payload.left() != iSize)
        return Fail(QStringLiteral("Record %1 has %2 bytes instead of %3.").arg(iTag).arg(payload.left()).arg(iSize));
    return true;
}

bool Parser::ReadInt(Span payload, int iTag, qint32 *pValue)
{
    return Fixed(payload, 4, iTag) && payload.Int(pValue);
}

bool Parser::ReadReal(Span payload, int iTag, double *pValue)
{
    if (!Fixed(payload, 8, iTag) || !payload.Real(pValue))
        return false;
    if (!std::isfinite(*pValue))
        return Fail(QStringLiteral("Record %1 holds a number that is not finite.").arg(iTag));
    return true;
}

bool Parser::ReadPoint(Span payload, int iTag, QPointF *pPoint)
{
    double x = 0, y = 0;
    if (!Fixed(payload, 16, iTag) || !payload.Real(&x) || !payload.Real(&y))
        return false;
    // Positions far beyond any canvas are damage, not data.
    constexpr double kFar = 1e7;
    if (!std::isfinite(x) || !std::isfinite(y) || std::fabs(x) > kFar || std::fabs(y) > kFar)
        return Fail(QStringLiteral("Record %1 holds a point out of range.").arg(iTag));
    *pPoint = QPointF(x, y);
    return true;
}

bool Parser::Run(DocumentData *pData)
{
    Span file(m_bytes.constData(), 0, m_bytes.size());
    qint32 iMagic = 0;
    if (!file.Int(&iMagic) || quint32(iMagic) != DocumentFile::kMagic)
        return Fail(QStringLiteral("This is not a Chromaquill document."));
    bool bCanvas = false, bLayers = false, bPaths = false;
    while (!file.atEnd()) {
        qint32 iTag = 0;
        Span payload(nullptr, 0, 0);
        if (!Header(file, &iTag, &payload))
            return false;
        switch (iTag) {
        case DocumentFile::Version:
            pData->version = Text(payload);
            break;
        case DocumentFile::Canvas: {
            qint32 w = 0, h = 0;
            if (bCanvas)
                return Fail(QStringLiteral("The file has two canvas records."));
            if (!Fixed(payload, 8, iTag) || !payload.Int(&w) || !payload.Int(&h))
                return false;
            if (!ImageFile::Fits(w, h))
                return Fail(QStringLiteral("The canvas size %1 x %2 is not supported.").arg(w).arg(h));
            pData->canvas = QSize(w, h);
            bCanvas = true;
            break;
        }
        case DocumentFile::Layers:
            if (!bCanvas)
                return Fail(QStringLiteral("The layers come before the canvas size."));
            if (bLayers)
                return Fail(QStringLiteral("The file has two layer lists."));
            if (!List(payload, DocumentFile::LayerRecord, QStringLiteral("layer"), &pData->layers, &Parser::OneLayer))
                return false;
            bLayers = true;
            break;
        case DocumentFile::LayerRecord:
            return Fail(QStringLiteral("A layer record stands outside the layer list."));
        case DocumentFile::Paths:
            if (bPaths)
                return Fail(QStringLiteral("The file has two path lists."));
            if (!List(payload, DocumentFile::PathRecord, QStringLiteral("path"), &pData->paths, &Parser::OnePath))
                return false;
            bPaths = true;
            break;
        default:
            // Records of later versions are skipped by their length.
            break;
        }
    }
    if (!bCanvas)
        return Fail(QStringLiteral("The file has no canvas size."));
    if (!bLayers || !bPaths)
        return Fail(QStringLiteral("The file is incomplete: its %1 are missing.")
                        .arg(bLayers ? QStringLiteral("paths") : QStringLiteral("layers")));
    return DecodeImages(pData);
}

template <typename F>
bool Parser::Records(Span span, F &&onRecord)
{
    while (!span.atEnd()) {
        qint32 iTag = 0;
        Span payload(nullptr, 0, 0);
        if (!Header(span, &iTag, &payload) || !onRecord(iTag, payload))
            return false;
    }
    return true;
}

template <typename T>
bool Parser::List(Span span, qint32 iRecordTag, const QString &noun, QList<T> *pItems,
                  bool (Parser::*readOne)(Span, T *, int))
{
    const QString nouns = noun + QLatin1Char('s');
    qint32 iCount = 0;
    if (!span.Int(&iCount) || iCount < 0)
        return Fail(QStringLiteral("The %1 list has no valid count.").arg(noun));
    const bool bOk = Records(span, [&](qint32 iTag, Span payload) {
        if (iTag != iRecordTag)
            return true;
        if (pItems->size() >= iCount)
            return Fail(QStringLiteral("The %1 list holds more %2 than its count of %3.").arg(noun, nouns).arg(iCount));
        T item;
        if (!(this->*readOne)(payload, &item, int(pItems->size()) + 1))
            return false;
        pItems->append(std::move(item));
        return true;
    });
    if (!bOk)
        return false;
    if (pItems->size() != iCount)
        return Fail(QStringLiteral("The %1 list says %2 %3 but holds %4.")
                        .arg(noun).arg(iCount).arg(nouns).arg(pItems->size()));
    return true;
}

bool Parser::OneLayer(Span span, LayerData *pLayer, int iIndex)
{
    bool bPng = false;
    const bool bOk = Records(span, [&](qint32 iTag, Span payload) {
        switch (iTag) {
        case DocumentFile::LayerKind: {
            qint32 iKind = 0;
            if (!ReadInt(payload, iTag, &iKind))
                return false;
            if (iKind != Layer::Raster && iKind != Layer::Text)
                return Fail(QStringLiteral("Layer %1 has the unknown kind %2.").arg(iIndex).arg(iKind));
            pLayer->kind = iKind;
            return true;
        }
        case DocumentFile::LayerName:
            pLayer->name = Text(payload);
            return true;
        case DocumentFile::LayerBlend: {
            qint32 iMode = 0;
            if (!ReadInt(payload, iTag, &iMode))
                return false;
            if (iMode < 0 || iMode > int(QPainter::RasterOp_NotDestination))
                return Fail(QStringLiteral("Layer %1 has the unknown blending mode %2.").arg(iIndex).arg(iMode));
            pLayer->blendingMode = iMode;
            return true;
        }
        case DocumentFile::LayerOpacity:
            if (!ReadReal(payload, iTag, &pLayer->opacity))
                return false;
            if (pLayer->opacity < 0.0 || pLayer->opacity > 1.0)
                return Fail(QStringLiteral("Layer %1 has an opacity out of range.").arg(iIndex));
            return true;
        case DocumentFile::LayerVisible: {
            if (!Fixed(payload, 1, iTag))
                return false;
            const char c = *payload.Take(1);
            if (c != 0 && c != 1)
                return Fail(QStringLiteral("Layer %1 has a bad visibility flag.").arg(iIndex));
            pLayer->visible = c == 1;
            return true;
        }
        case DocumentFile::LayerZ:
            return ReadReal(payload, iTag, &pLayer->z);
        case DocumentFile::LayerPos:
            return ReadPoint(payload, iTag, &pLayer->pos);
        case DocumentFile::LayerPng:
            pLayer->png = Bytes(payload);
            bPng = true;
            return true;
        case DocumentFile::LayerTextColor: {
            qint32 rgba[4] = {0, 0, 0, 0};
            if (!Fixed(payload, 16, iTag))
                return false;
            for (qint32 &c : rgba) {
                payload.Int(&c);
                if (c < 0 || c > 255)
                    return Fail(QStringLiteral("Layer %1 has a text colour out of range.").arg(iIndex));
            }
            pLayer->textColor = QColor(rgba[0], rgba[1], rgba[2], rgba[3]);
            return true;
        }
        case DocumentFile::LayerHtml:
            pLayer->html = Text(payload);
            return true;
        case DocumentFile::StyleRecord:
            pLayer->styleRecords.append(Bytes(payload));
            return true;
        default:
            return true;
        }
    });
    if (!bOk)
        return false;
    if (pLayer->kind < 0)
        return Fail(QStringLiteral("Layer %1 does not say what kind of layer it is.").arg(iIndex));
    if (pLayer->kind == Layer::Raster && !bPng)
        return Fail(QStringLiteral("Raster layer %1 has no pixels.").arg(iIndex));
    if (pLayer->kind == Layer::Text)
        pLayer->png.clear();
    return true;
}

bool Parser::OnePath(Span span, PathData *pPath, int iIndex)
{
    qint32 iPoints = 0;
    if (!span.Int(&iPoints) || iPoints < 0)
        return Fail(QStringLiteral("Path %1 has no valid point count.").arg(iIndex));
    bool bStart = false;
    const bool bOk = Records(span, [&](qint32 iTag, Span payload) {
        if (iTag == DocumentFile::PathName) {
            pPath->name = Text(payload);
        } else if (iTag == DocumentFile::PointRecord) {
            PathItem item;
            if (!OnePoint(payload, &item))
                return false;
            if (!bStart) {
                pPath->start = item.second;
                bStart = true;
            } else {
                if (pPath->items.size() >= iPoints)
                    return Fail(QStringLiteral("Path %1 holds more points than its count of %2.").arg(iIndex).arg(iPoints));
                pPath->items.append(item);
            }
        }
        return true;
    });
    if (!bOk)
        return false;
    if (!bStart)
        return Fail(QStringLiteral("Path %1 has no start point.").arg(iIndex));
    if (pPath->items.size() != iPoints)
        return Fail(QStringLiteral("Path %1 says %2 points but holds %3.").arg(iIndex).arg(iPoints).arg(pPath->items.size()));
    return true;
}

bool Parser::OnePoint(Span span, PathItem *pItem)
{
    bool bKind = false;
    const bool bOk = Records(span, [&](qint32 iTag, Span payload) {
        switch (iTag) {
        case DocumentFile::PointKind:
            if (!ReadInt(payload, iTag, &pItem->kind))
                return false;
            if (pItem->kind < PathItem::MoveTo || pItem->kind > PathItem::QuadTo)
                return Fail(QStringLiteral("A path point has the unknown kind %1.").arg(pItem->kind));
            bKind = true;
            return true;
        case DocumentFile::PointFirst:
            return ReadPoint(payload, iTag, &pItem->first);
        case DocumentFile::PointSecond:
            return ReadPoint(payload, iTag, &pItem->second);
        case DocumentFile::PointControl1:
            return ReadPoint(payload, iTag, &pItem->control1);
        case DocumentFile::PointControl2:
            return ReadPoint(payload, iTag, &pItem->control2);
        default:
            return true;
        }
    });
    if (!bOk)
        return false;
    if (!bKind)
        return Fail(QStringLiteral("A path point does not say what kind it is."));
    return true;
}

// Walks the PNG's chunks before libpng sees them: every chunk must fit in
// the bytes there are, IHDR must come first, and only the chunks that make
// the pixels (IHDR, PLTE, tRNS, IDAT, IEND) are kept. Ancillary chunks can
// ask the decoder for huge or compressed buffers of their own; the file
// never needs them.
bool sanitizePng(const QByteArray &in, QByteArray *pOut, QSize *pSize)
{
    static const char kSignature[] = "\x89PNG\r\n\x1a\n";
    if (in.size() < 8 || std::memcmp(in.constData(), kSignature, 8) != 0)
        return false;
    QByteArray out = in.left(8);
    qsizetype pos = 8;
    bool bDropped = false, bEnd = false;
    while (!bEnd) {
        if (in.size() - pos < 12)
            return false;
        const quint32 iLength = qFromBigEndian<quint32>(in.constData() + pos);
        if (iLength > quint32(0x7fffffff) || qint64(iLength) > in.size() - pos - 12)
            return false;
        const QByteArray type = in.mid(pos + 4, 4);
        const qsizetype iChunk = 12 + qsizetype(iLength);
        if (pos == 8) {
            if (type != "IHDR" || iLength != 13)
                return false;
            const quint32 w = qFromBigEndian<quint32>(in.constData() + pos + 8);
            const quint32 h = qFromBigEndian<quint32>(in.constData() + pos + 12);
            if (!ImageFile::Fits(w, h))
                *pSize = QSize(-1, -1);
            else
                *pSize = QSize(int(w), int(h));
        }
        if (type == "IHDR" || type == "PLTE" || type == "tRNS" || type == "IDAT" || type == "IEND") {
            if (type == "IHDR" && pos != 8)
                return false;
            out.append(in.constData() + pos, iChunk);
        } else {
            bDropped = true;
        }
        bEnd = type == "IEND";
        pos += iChunk;
    }
    *pOut = bDropped ? out : in;
    return true;
}

bool Parser::DecodeImages(DocumentData *pData)
{
    // Sizes come from the PNG headers and are checked, one by one and all
    // together, before any pixel memory is allocated.
    const int iLimitMb = int((DocumentFile::kMaxDocumentPixels * 4) >> 20);
    if (QImageReader::allocationLimit() != iLimitMb)
        QImageReader::setAllocationLimit(iLimitMb);
    qint64 iTotal = 0;
    QList<int> raster;
    QList<QByteArray> clean;
    for (int i = 0; i < pData->layers.size(); ++i) {
        LayerData &layer = pData->layers[i];
        if (layer.kind != Layer::Raster)
            continue;
        QByteArray png;
        QSize size;
        if (!sanitizePng(layer.png, &png, &size))
            return Fail(QStringLiteral("The pixels of layer %1 are not a readable PNG image.").arg(i + 1));
        const qint64 iPixels = qint64(size.width()) * size.height();
        if (!size.isValid() || !ImageFile::Fits(size.width(), size.height()))
            return Fail(QStringLiteral("Layer %1 is too large.").arg(i + 1));
        iTotal += iPixels;
        if (iTotal > DocumentFile::kMaxDocumentPixels)
            return Fail(QStringLiteral("The layers hold more pixels than a document may (%1).").arg(DocumentFile::kMaxDocumentPixels));
        raster.append(i);
        clean.append(png);
    }
    QList<QImage> images(raster.size());
    QList<std::function<void()>> jobs;
    for (int j = 0; j < raster.size(); ++j) {
        jobs.append([&clean, &images, j] {
            QByteArray png = clean[j];
            QBuffer buffer(&png);
            buffer.open(QIODevice::ReadOnly);
            QImageReader reader(&buffer, "png");
            reader.setDecideFormatFromContent(false);
            const QSize size = reader.size();
            QImage image = reader.read();
            if (!image.isNull() && image.size() == size)
                images[j] = std::move(image).convertToFormat(QImage::Format_ARGB32);
        });
    }
    runParallel(jobs);
    for (int j = 0; j < raster.size(); ++j) {
        if (images[j].isNull())
            return Fail(QStringLiteral("The pixels of layer %1 could not be decoded.").arg(raster[j] + 1));
        pData->layers[raster[j]].image = std::move(images[j]);
    }
    return true;
}

} // namespace

QByteArray DocumentFile::Serialize(const DocumentData &data)
{
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
    Parser parser(bytes);
    DocumentData data;
    if (!parser.Run(&data)) {
        if (pError)
            *pError = parser.error();
        return false;
    }
    *pData = std::move(data);
    return true;
}

QByteArray DocumentFile::EncodePng(const QImage &image)
{
    return PngEncoder::Encode(image);
}

QList<QByteArray> DocumentFile::EncodePngs(const QList<QImage> &images)
{
    QList<QByteArray> result(images.size());
    QList<std::function<void()>> jobs;
    for (int i = 0; i < images.size(); ++i)
        jobs.append([&images, &result, i] { result[i] = EncodePng(images[i]); });
    runParallel(jobs);
    return result;
}

DocumentData DocumentFile::FromImage(const QImage &image, const QString &layerName)
{
    DocumentData data;
    data.version = QString::fromLatin1(CQ_VERSION);
    data.canvas = image.size();
    LayerData layer;
    layer.kind = Layer::Raster;
    layer.name = layerName;
    layer.image = image.convertToFormat(QImage::Format_ARGB32);
    layer.png = EncodePng(layer.image);
    data.layers.append(std::move(layer));
    return data;
}

bool DocumentFile::ReadFile(const QString &path, DocumentData *pData, QString *pError)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *pError = file.errorString();
        return false;
    }
    if (file.size() > kMaxFileSize) {
        *pError = QStringLiteral("The file is too large to be a document.");
        return false;
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        *pError = file.errorString();
        return false;
    }
    return Parse(bytes, pData, pError);
}

bool DocumentFile::WriteFile(const QString &path, const QByteArray &bytes, QString *pError)
{
    // Written beside the target and renamed over it, so a failed write
    // leaves the previous file as it was.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        *pError = file.errorString();
        return false;
    }
    if (file.write(bytes) != bytes.size()) {
        *pError = file.errorString();
        file.cancelWriting();
        return false;
    }
    if (!file.commit()) {
        *pError = file.errorString();
        return false;
    }
    return true;
}

QString DocumentFile::DescribeStyle(const QByteArray &record)
{
    Span span(record.constData(), 0, record.size());
    QString name = QStringLiteral("?");
    QString enabled;
    while (span.left() >= 8) {
        qint32 iTag = 0, iLength = 0;
        span.Int(&iTag);
        span.Int(&iLength);
        if (iLength < 0 || iLength > span.left())
            break;
        const char *p = span.Take(iLength);
        if (iTag == StyleName)
            name = QString::fromLatin1(p, iLength);
        else if (iTag == StyleEnabled && iLength == 1)
            enabled = *p ? QStringLiteral("enabled") : QStringLiteral("disabled");
    }
    return enabled.isEmpty() ? name : name + QStringLiteral(" (") + enabled + QLatin1Char(')');
}
