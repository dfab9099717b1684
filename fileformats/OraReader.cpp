#include "OraReader.h"
#include "DocumentParser.h"
#include "FileProblem.h"
#include "HtmlSanitizer.h"
#include "ImageFile.h"
#include "OraArchive.h"
#include "OraFormat.h"
#include "Parallel.h"
#include "PngDecoder.h"
#include "TextBounds.h"

#include <QHash>
#include <QPainter>
#include <QtEndian>
#include <QXmlStreamReader>

#include <cmath>
#include <functional>
#include <new>

namespace {

// Positions further out than this are a damaged file, not a picture.
constexpr double kMaxOffset = double(1 << 20);
// All layers together: 8 GiB of pixels.
constexpr qint64 kMaxTotalPixels = qint64(1) << 31;

struct Node {
    bool bStack = false;
    QString name, src, op;
    int mode = 0;
    double opacity = 1.0;
    bool visible = true;
    QPoint at;
    // Chromaquill's own attributes.
    bool bHasZ = false, bHasPos = false, bStyleLayer = false, bText = false;
    double z = 0.0;
    QPointF pos;
    QString html;
    QColor textColor = Qt::black;
    QList<QByteArray> styleRecords;
    QImage image;   // decoded pixels (layers)
    QList<Node> children;
};

class Reader {
public:
    explicit Reader(DocumentData *pData) : m_pData(pData) {}

    bool Run(const QByteArray &bytes);
    QString error() const { return m_error; }

private:
    bool Fail(const QString &reason)
    {
        if (m_error.isEmpty())
            m_error = reason;
        return false;
    }
    bool Damaged(const QString &detail) { return Fail(FileProblem::Damaged(detail)); }

    bool ParseStack(const QByteArray &xml, Node *pRoot);
    bool ParseChildren(QXmlStreamReader &xml, Node *pStack, int iDepth);
    bool ReadAttributes(const QXmlStreamAttributes &a, Node *pNode);
    bool DecodeLayers(const OraArchiveReader &archive, Node *pRoot);
    // The layers a stack gives, top first.
    bool Collect(const Node &stack, bool bHidden, QList<LayerData> *pOut);
    bool ComposeGroup(const Node &group, LayerData *pOut);

    DocumentData *m_pData;
    QString m_error;
    int m_iNodes = 0;
};

bool Reader::Run(const QByteArray &bytes)
{
    OraArchiveReader archive;
    if (!archive.Open(bytes, &m_error))
        return false;
    QByteArray bytesRead;
    if (archive.Contains(QStringLiteral("mimetype"))) {
        if (!archive.Read(QStringLiteral("mimetype"), 256, &bytesRead, &m_error))
            return false;
        if (bytesRead.trimmed() != OraFormat::kMimeType)
            return Fail(QStringLiteral("The file is a zip archive but not an OpenRaster image."));
    }
    if (!archive.Contains(QLatin1String(OraFormat::kStack)))
        return Fail(QStringLiteral("The file is a zip archive but not an OpenRaster image (it has no stack.xml)."));
    if (!archive.Read(QLatin1String(OraFormat::kStack), OraFormat::kMaxStackBytes, &bytesRead, &m_error))
        return false;
    Node root;
    if (!ParseStack(bytesRead, &root) || !DecodeLayers(archive, &root))
        return false;
    QList<LayerData> layers;
    if (!Collect(root, false, &layers))
        return false;
    // Bottom first, as the native file lists them; our own stacking values
    // only when every layer has one and they agree with the order.
    std::reverse(layers.begin(), layers.end());
    bool bOwnZ = true;
    for (int i = 0; i < layers.size(); ++i)
        if (std::isnan(layers[i].z) || (i > 0 && !(layers[i - 1].z < layers[i].z)))
            bOwnZ = false;
    for (int i = 0; i < layers.size(); ++i)
        if (!bOwnZ)
            layers[i].z = i;
    m_pData->layers = std::move(layers);

    if (archive.Contains(QLatin1String(OraFormat::kPaths))) {
        DocumentData paths;
        if (!archive.Read(QLatin1String(OraFormat::kPaths), OraFormat::kMaxStackBytes, &bytesRead, &m_error))
            return false;
        if (!DocumentParser::Parse(bytesRead, &paths, &m_error))
            return false;
        m_pData->paths = std::move(paths.paths);
    }
    return true;
}

bool Reader::ParseStack(const QByteArray &bytes, Node *pRoot)
{
    QXmlStreamReader xml(bytes);
    while (!xml.atEnd()) {
        const QXmlStreamReader::TokenType token = xml.readNext();
        if (token == QXmlStreamReader::DTD)
            return Damaged(QStringLiteral("stack.xml declares a document type."));
        if (token != QXmlStreamReader::StartElement)
            continue;
        if (xml.name() != QLatin1String("image"))
            return Damaged(QStringLiteral("stack.xml does not describe an image."));
        const QXmlStreamAttributes a = xml.attributes();
        bool bW = false, bH = false;
        const qint64 w = a.value(QLatin1String("w")).toLongLong(&bW);
        const qint64 h = a.value(QLatin1String("h")).toLongLong(&bH);
        if (!bW || !bH)
            return Damaged(QStringLiteral("The image has no size."));
        if (!ImageFile::Fits(w, h))
            return Fail(QStringLiteral("The canvas size %1 x %2 is not supported.").arg(w).arg(h));
        m_pData->canvas = QSize(int(w), int(h));
        m_pData->version = QStringLiteral("OpenRaster %1").arg(a.value(QLatin1String("version")).toString());
        // The first stack is the picture; anything else in <image> is not ours to read.
        while (xml.readNextStartElement()) {
            if (xml.name() == QLatin1String("stack") && !pRoot->bStack) {
                pRoot->bStack = true;
                if (!ReadAttributes(xml.attributes(), pRoot) || !ParseChildren(xml, pRoot, 1))
                    return false;
            } else {
                xml.skipCurrentElement();
            }
        }
        if (xml.hasError())
            return Damaged(QStringLiteral("stack.xml is not well-formed: %1").arg(xml.errorString()));
        if (!pRoot->bStack)
            return Damaged(QStringLiteral("The image has no stack."));
        return true;
    }
    return Damaged(xml.hasError() ? QStringLiteral("stack.xml is not well-formed: %1").arg(xml.errorString())
                                  : QStringLiteral("stack.xml is empty."));
}

bool Reader::ParseChildren(QXmlStreamReader &xml, Node *pStack, int iDepth)
{
    if (iDepth > OraFormat::kMaxDepth)
        return Fail(QStringLiteral("The stacks are nested more than %1 deep.").arg(OraFormat::kMaxDepth));
    while (xml.readNextStartElement()) {
        const bool bStack = xml.name() == QLatin1String("stack");
        if (!bStack && xml.name() != QLatin1String("layer")) {
            xml.skipCurrentElement();
            continue;
        }
        if (++m_iNodes > OraFormat::kMaxLayers)
            return Fail(QStringLiteral("The image has more than %1 layers.").arg(OraFormat::kMaxLayers));
        Node node;
        node.bStack = bStack;
        if (!ReadAttributes(xml.attributes(), &node))
            return false;
        // A stack's position moves everything in it.
        node.at += pStack->at;
        node.pos += QPointF(pStack->at);
        if (bStack) {
            if (!ParseChildren(xml, &node, iDepth + 1))
                return false;
        } else {
            if (node.src.isEmpty())
                return Damaged(QStringLiteral("Layer \"%1\" names no pixels.").arg(node.name));
            xml.skipCurrentElement();
        }
        pStack->children.append(std::move(node));
    }
    return !xml.hasError() || Damaged(QStringLiteral("stack.xml is not well-formed: %1").arg(xml.errorString()));
}

bool Reader::ReadAttributes(const QXmlStreamAttributes &a, Node *pNode)
{
    const QString ns = QLatin1String(OraFormat::kNamespace);
    auto own = [&](const char *name) { return a.value(ns, QLatin1String(name)); };
    pNode->name = a.value(QLatin1String("name")).toString();
    pNode->src = a.value(QLatin1String("src")).toString();
    auto coordinate = [&](const char *name, int *pOut) {
        const QStringView text = a.value(QLatin1String(name));
        bool bOk = true;
        const double v = text.isEmpty() ? 0.0 : text.toDouble(&bOk);
        if (!bOk || !(std::fabs(v) <= kMaxOffset))
            return Damaged(QStringLiteral("Layer \"%1\" has a position out of range.").arg(pNode->name));
        *pOut = int(std::lround(v));
        return true;
    };
    int x = 0, y = 0;
    if (!coordinate("x", &x) || !coordinate("y", &y))
        return false;
    pNode->at = QPoint(x, y);
    pNode->pos = pNode->at;
    bool bOk = true;
    const QStringView opacity = a.value(QLatin1String("opacity"));
    const double o = opacity.isEmpty() ? 1.0 : opacity.toDouble(&bOk);
    pNode->opacity = bOk && std::isfinite(o) ? qBound(0.0, o, 1.0) : 1.0;
    const QStringView visibility = a.value(QLatin1String("visibility"));
    pNode->visible = visibility != QLatin1String("hidden");
    // Older writers hide a layer by making it fully transparent.
    if (visibility.isEmpty() && pNode->opacity == 0.0) {
        pNode->visible = false;
        pNode->opacity = 1.0;
    }
    pNode->op = a.value(QLatin1String("composite-op")).toString();
    pNode->mode = OraFormat::ModeForOp(pNode->op);
    if (pNode->mode < 0) {
        m_pData->notes.append(QStringLiteral("\"%1\" (%2)").arg(pNode->name, pNode->op));
        pNode->mode = 0;
    }

    const QStringView z = own("z");
    pNode->z = z.isEmpty() ? qQNaN() : z.toDouble(&bOk);
    if (!bOk || std::isinf(pNode->z))
        pNode->z = qQNaN();
    const QStringList pos = own("pos").toString().split(QLatin1Char(','));
    bool bX = false, bY = false;
    if (pos.size() == 2) {
        const double px = pos[0].toDouble(&bX), py = pos[1].toDouble(&bY);
        if (bX && bY && std::fabs(px) <= kMaxOffset && std::fabs(py) <= kMaxOffset)
            pNode->pos = QPointF(px, py);
    }
    pNode->bStyleLayer = own("style-layer") == QLatin1String("true");
    for (const QStringView record : own("styles").split(QLatin1Char(','), Qt::SkipEmptyParts))
        pNode->styleRecords.append(QByteArray::fromBase64(record.toLatin1()));
    const QStringView html = own("text");
    if (!html.isNull() && !pNode->bStack) {
        pNode->bText = true;
        if (!HtmlSanitizer::Clean(html.toString(), &pNode->html))
            return Damaged(QStringLiteral("The text of layer \"%1\" is longer than a text layer may be.").arg(pNode->name));
        QString what;
        if (!TextBounds::Fits(pNode->html, &what))
            return Fail(QStringLiteral("The text of layer \"%1\" holds %2.").arg(pNode->name, what));
        const QColor color = QColor::fromString(own("text-color"));
        if (color.isValid())
            pNode->textColor = color;
    }
    return true;
}

bool Reader::DecodeLayers(const OraArchiveReader &archive, Node *pRoot)
{
    QList<Node *> layers;
    std::function<void(Node *)> gather = [&](Node *pNode) {
        for (Node &child : pNode->children) {
            if (child.bStack)
                gather(&child);
            else
                layers.append(&child);
        }
    };
    gather(pRoot);
    // Each entry is read and decoded once however many layers name it, and
    // the layers together may not promise more pixels than kMaxTotalPixels
    // (one small entry named ten thousand times is not a picture).
    QStringList sources;
    QHash<QString, int> sourceOf;
    qint64 iTotal = 0;
    for (Node *pLayer : std::as_const(layers)) {
        if (!archive.Contains(pLayer->src))
            return Damaged(QStringLiteral("Layer \"%1\" names \"%2\", which the archive does not hold.")
                               .arg(pLayer->name, pLayer->src));
        if (!sourceOf.contains(pLayer->src)) {
            sourceOf.insert(pLayer->src, int(sources.size()));
            sources.append(pLayer->src);
        }
    }
    QList<QByteArray> pngs(sources.size());
    QList<qint64> pixels(sources.size());
    for (int i = 0; i < sources.size(); ++i) {
        if (!archive.Read(sources[i], ImageFile::kMaxFileSize, &pngs[i], &m_error))
            return false;
        const QByteArray &png = pngs[i];
        if (png.size() >= 24 && png.mid(12, 4) == "IHDR")
            pixels[i] = qint64(qFromBigEndian<quint32>(png.constData() + 16)) * qFromBigEndian<quint32>(png.constData() + 20);
    }
    for (Node *pLayer : std::as_const(layers))
        if ((iTotal += pixels[sourceOf[pLayer->src]]) > kMaxTotalPixels)
            return Fail(QStringLiteral("The layers hold more pixels than the editor can open."));
    QList<PngDecoder::Result> results(sources.size());
    QList<std::function<void()>> jobs;
    for (int i = 0; i < sources.size(); ++i)
        jobs.append([&pngs, &results, i] {
            try {
                if (pngs[i].startsWith("\x89PNG"))
                    results[i] = PngDecoder::Decode(pngs[i]);
                else
                    results[i].reason = QStringLiteral("it is not a PNG image.");
            } catch (const std::bad_alloc &) {
                results[i].status = PngDecoder::Status::NoMemory;
            }
            pngs[i] = QByteArray();
        });
    runParallel(jobs);
    for (Node *pLayer : std::as_const(layers)) {
        const PngDecoder::Result &r = results[sourceOf[pLayer->src]];
        const QString name = pLayer->name;
        if (r.status == PngDecoder::Status::TooLarge)
            return Fail(QStringLiteral("Layer \"%1\" is too large: %2").arg(name, r.reason));
        if (r.status == PngDecoder::Status::NoMemory)
            return Fail(QStringLiteral("There is not enough memory to open this document (layer \"%1\").").arg(name));
        if (r.status != PngDecoder::Status::Ok) {
            const QString detail = FileProblem::Detail(r.reason);
            return Damaged(QStringLiteral("The pixels of layer \"%1\" are not readable: %2")
                               .arg(name, detail.isEmpty() ? r.reason : detail));
        }
        pLayer->image = r.image;
    }
    return true;
}

LayerData layerOf(const Node &node, bool bHidden)
{
    LayerData layer;
    layer.kind = node.bText ? 1 : 0;
    layer.name = node.name;
    layer.blendingMode = node.mode;
    layer.opacity = node.opacity;
    layer.visible = node.visible && !bHidden;
    layer.z = node.z;
    layer.pos = node.pos;
    layer.image = node.image;
    layer.html = node.html;
    layer.textColor = node.textColor;
    layer.styleRecords = node.styleRecords;
    return layer;
}

bool Reader::Collect(const Node &stack, bool bHidden, QList<LayerData> *pOut)
{
    for (int i = 0; i < stack.children.size(); ++i) {
        const Node &child = stack.children[i];
        // The drawn styles of the layer above: that layer draws them itself.
        if (child.bStyleLayer && i > 0 && !stack.children[i - 1].styleRecords.isEmpty())
            continue;
        if (!child.bStack) {
            pOut->append(layerOf(child, bHidden));
        } else if (child.mode == 0 && child.opacity == 1.0) {
            if (!Collect(child, bHidden || !child.visible, pOut))
                return false;
        } else {
            LayerData group;
            if (!ComposeGroup(child, &group))
                return false;
            group.visible = child.visible && !bHidden;
            pOut->append(std::move(group));
        }
    }
    return true;
}

bool Reader::ComposeGroup(const Node &group, LayerData *pOut)
{
    QList<LayerData> parts;
    if (!Collect(group, false, &parts))
        return false;
    QRect bounds;
    for (const LayerData &part : std::as_const(parts))
        if (part.visible)
            bounds |= QRect(part.pos.toPoint(), part.image.size());
    if (bounds.isEmpty())
        bounds = QRect(0, 0, 1, 1);
    if (!ImageFile::Fits(bounds.width(), bounds.height()))
        return Fail(QStringLiteral("The group \"%1\" is too large (%2 x %3).")
                        .arg(group.name).arg(bounds.width()).arg(bounds.height()));
    QImage image(bounds.size(), QImage::Format_ARGB32_Premultiplied);
    if (image.isNull())
        return Fail(ImageFile::NoMemoryText(bounds.width(), bounds.height()));
    image.fill(Qt::transparent);
    {
        QPainter painter(&image);
        for (auto part = parts.crbegin(); part != parts.crend(); ++part) {
            if (!part->visible)
                continue;
            painter.setCompositionMode(QPainter::CompositionMode(part->blendingMode));
            painter.setOpacity(part->opacity);
            painter.drawImage(part->pos.toPoint() - bounds.topLeft(), part->image);
        }
    }
    Node flat = group;
    flat.children.clear();
    flat.bText = false;
    flat.image = image.convertToFormat(QImage::Format_ARGB32);
    flat.pos = bounds.topLeft();
    *pOut = layerOf(flat, false);
    return true;
}

} // namespace

namespace OraReader {

bool Parse(const QByteArray &bytes, DocumentData *pData, QString *pError)
{
    DocumentData data;
    bool bOk;
    QString error;
    try {
        Reader reader(&data);
        bOk = reader.Run(bytes);
        error = reader.error();
    } catch (const std::bad_alloc &) {
        bOk = false;
        error = QStringLiteral("There is not enough memory to open this document.");
    }
    if (!bOk) {
        *pError = error;
        return false;
    }
    *pData = std::move(data);
    return true;
}

} // namespace OraReader
