#include "DocumentParser.h"

#include "DocumentFile.h"
#include "FileProblem.h"
#include "HtmlSanitizer.h"
#include "ImageFile.h"
#include "Layer.h"
#include "LayerBudget.h"
#include "TextBounds.h"

#include <QPainter>
#include <QtEndian>

#include <cmath>
#include <cstring>
#include <new>

namespace {

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
    Parser(const QByteArray &bytes, bool bDecode, qint64 iMemoryLimit)
        : m_bytes(bytes), m_bDecode(bDecode), m_iMemoryLimit(iMemoryLimit) {}

    bool Run(DocumentData *pData);
    QString error() const { return m_error; }

private:
    bool Fail(const QString &text)
    {
        if (m_error.isEmpty())
            m_error = text;
        return false;
    }
    // A broken structure: the user learns the file is damaged, the details
    // say where.
    bool Damaged(const QString &detail) { return Fail(FileProblem::Damaged(detail)); }
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
    bool m_bDecode;
    const qint64 m_iMemoryLimit;
    QString m_error;
};

bool Parser::Header(Span &span, qint32 *pTag, Span *pPayload)
{
    const qsizetype at = span.pos();
    qint32 iLength = 0;
    if (!span.Int(pTag) || !span.Int(&iLength))
        return Damaged(QStringLiteral("The file ends in the middle of a record (offset %1).").arg(at));
    if (iLength < 0 || iLength > span.left())
        return Damaged(QStringLiteral("Record %1 at offset %2 claims %3 bytes, but only %4 remain.")
                        .arg(*pTag).arg(at).arg(iLength).arg(span.left()));
    *pPayload = span.Sub(iLength);
    return true;
}

bool Parser::Fixed(const Span &payload, int iSize, qint32 iTag)
{
    if (payload.left() != iSize)
        return Damaged(QStringLiteral("Record %1 has %2 bytes instead of %3.").arg(iTag).arg(payload.left()).arg(iSize));
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
        return Damaged(QStringLiteral("Record %1 holds a number that is not finite.").arg(iTag));
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
        return Damaged(QStringLiteral("Record %1 holds a point out of range.").arg(iTag));
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
                return Damaged(QStringLiteral("The file has two canvas records."));
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
                return Damaged(QStringLiteral("The layers come before the canvas size."));
            if (bLayers)
                return Damaged(QStringLiteral("The file has two layer lists."));
            if (!List(payload, DocumentFile::LayerRecord, QStringLiteral("layer"), &pData->layers, &Parser::OneLayer))
                return false;
            bLayers = true;
            break;
        case DocumentFile::LayerRecord:
            return Damaged(QStringLiteral("A layer record stands outside the layer list."));
        case DocumentFile::Paths:
            if (bPaths)
                return Damaged(QStringLiteral("The file has two path lists."));
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
        return Damaged(QStringLiteral("The file has no canvas size."));
    if (!bLayers || !bPaths)
        return Damaged(QStringLiteral("The file is incomplete: its %1 are missing.")
                        .arg(bLayers ? QStringLiteral("paths") : QStringLiteral("layers")));
    return !m_bDecode || DecodeImages(pData);
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
        return Damaged(QStringLiteral("The %1 list has no valid count.").arg(noun));
    const bool bOk = Records(span, [&](qint32 iTag, Span payload) {
        if (iTag != iRecordTag)
            return true;
        if (pItems->size() >= iCount)
            return Damaged(QStringLiteral("The %1 list holds more %2 than its count of %3.").arg(noun, nouns).arg(iCount));
        T item;
        if (!(this->*readOne)(payload, &item, int(pItems->size()) + 1))
            return false;
        pItems->append(std::move(item));
        return true;
    });
    if (!bOk)
        return false;
    if (pItems->size() != iCount)
        return Damaged(QStringLiteral("The %1 list says %2 %3 but holds %4.")
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
                return Damaged(QStringLiteral("Layer %1 has the unknown kind %2.").arg(iIndex).arg(iKind));
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
                return Damaged(QStringLiteral("Layer %1 has the unknown blending mode %2.").arg(iIndex).arg(iMode));
            pLayer->blendingMode = iMode;
            return true;
        }
        case DocumentFile::LayerOpacity:
            if (!ReadReal(payload, iTag, &pLayer->opacity))
                return false;
            if (pLayer->opacity < 0.0 || pLayer->opacity > 1.0)
                return Damaged(QStringLiteral("Layer %1 has an opacity out of range.").arg(iIndex));
            return true;
        case DocumentFile::LayerVisible: {
            if (!Fixed(payload, 1, iTag))
                return false;
            const char c = *payload.Take(1);
            if (c != 0 && c != 1)
                return Damaged(QStringLiteral("Layer %1 has a bad visibility flag.").arg(iIndex));
            pLayer->visible = c == 1;
            return true;
        }
        case DocumentFile::LayerZ:
            return ReadReal(payload, iTag, &pLayer->z);
        case DocumentFile::LayerPos:
            return ReadPoint(payload, iTag, &pLayer->pos);
        case DocumentFile::LayerPng:
            if (m_bDecode) {
                pLayer->png = Bytes(payload);
            } else {
                const qsizetype n = payload.left();
                pLayer->png = QByteArray::fromRawData(payload.Take(n), n);
            }
            bPng = true;
            return true;
        case DocumentFile::LayerTextColor: {
            qint32 rgba[4] = {0, 0, 0, 0};
            if (!Fixed(payload, 16, iTag))
                return false;
            for (qint32 &c : rgba) {
                payload.Int(&c);
                if (c < 0 || c > 255)
                    return Damaged(QStringLiteral("Layer %1 has a text colour out of range.").arg(iIndex));
            }
            pLayer->textColor = QColor(rgba[0], rgba[1], rgba[2], rgba[3]);
            return true;
        }
        case DocumentFile::LayerHtml:
            // Bounded and stripped of anything that could fetch or nest
            // without end, before the rich-text engine ever sees it.
            if (!HtmlSanitizer::Clean(Text(payload), &pLayer->html))
                return Damaged(QStringLiteral("The text of layer %1 is longer than a text layer may be.").arg(iIndex));
            {
                QString what;
                if (!TextBounds::Fits(pLayer->html, &what))
                    return Fail(QStringLiteral("The text of layer %1 holds %2.").arg(iIndex).arg(what));
            }
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
        return Damaged(QStringLiteral("Layer %1 does not say what kind of layer it is.").arg(iIndex));
    if (pLayer->kind == Layer::Raster && !bPng)
        return Damaged(QStringLiteral("Raster layer %1 has no pixels.").arg(iIndex));
    if (pLayer->kind == Layer::Text)
        pLayer->png.clear();
    return true;
}

bool Parser::OnePath(Span span, PathData *pPath, int iIndex)
{
    qint32 iPoints = 0;
    if (!span.Int(&iPoints) || iPoints < 0)
        return Damaged(QStringLiteral("Path %1 has no valid point count.").arg(iIndex));
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
                    return Damaged(QStringLiteral("Path %1 holds more points than its count of %2.").arg(iIndex).arg(iPoints));
                pPath->items.append(item);
            }
        }
        return true;
    });
    if (!bOk)
        return false;
    if (!bStart)
        return Damaged(QStringLiteral("Path %1 has no start point.").arg(iIndex));
    if (pPath->items.size() != iPoints)
        return Damaged(QStringLiteral("Path %1 says %2 points but holds %3.").arg(iIndex).arg(iPoints).arg(pPath->items.size()));
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
                return Damaged(QStringLiteral("A path point has the unknown kind %1.").arg(pItem->kind));
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
        return Damaged(QStringLiteral("A path point does not say what kind it is."));
    return true;
}

bool Parser::DecodeImages(DocumentData *pData)
{
    QString reason;
    if (!LayerBudget::DecodeLayers(&pData->layers, m_iMemoryLimit, &reason))
        return Fail(reason);
    return true;
}

} // namespace

namespace DocumentParser {

bool Parse(const QByteArray &bytes, DocumentData *pData, QString *pError, Pixels ePixels, qint64 iMemoryLimit)
{
    DocumentData data;
    bool bOk;
    QString error;
    try {
        Parser parser(bytes, ePixels == Pixels::Decode, iMemoryLimit < 0 ? LayerBudget::MachineLimit() : iMemoryLimit);
        bOk = parser.Run(&data);
        error = parser.error();
    } catch (const std::bad_alloc &) {
        bOk = false;
        error = QStringLiteral("There is not enough memory to open this document.");
    }
    if (!bOk) {
        if (pError)
            *pError = error;
        return false;
    }
    *pData = std::move(data);
    return true;
}

QString DescribeStyle(const QByteArray &record)
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
        if (iTag == DocumentFile::StyleName)
            name = QString::fromLatin1(p, iLength);
        else if (iTag == DocumentFile::StyleEnabled && iLength == 1)
            enabled = *p ? QStringLiteral("enabled") : QStringLiteral("disabled");
    }
    return enabled.isEmpty() ? name : name + QStringLiteral(" (") + enabled + QLatin1Char(')');
}

} // namespace DocumentParser
