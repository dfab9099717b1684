#include "OraWriter.h"
#include "AtomicFile.h"
#include "DocumentBuilder.h"
#include "DocumentFile.h"
#include "OraArchive.h"
#include "OraFormat.h"
#include "Parallel.h"
#include "PngEncoder.h"

#include "Document.h"
#include "Layer.h"
#include "PixmapLayer.h"
#include "TextLayer.h"

#include <QLocale>
#include <QPainter>
#include <QXmlStreamWriter>

#include <functional>
#include <new>

namespace {

// One <layer> of stack.xml and its pixels.
struct Entry {
    Layer *pLayer = nullptr;
    bool bStyle = false;  // the drawn styles of the layer before it
    QString name;
    QImage image;         // straight ARGB32
    QPoint at;
    QByteArray png;
};

QString number(double d)
{
    return QString::number(d, 'g', QLocale::FloatingPointShortest);
}

QImage straight(const QImage &image)
{
    return image.format() == QImage::Format_ARGB32 ? image : image.convertToFormat(QImage::Format_ARGB32);
}

QString styleLayerName(LayerStyleMgr &styles, const QString &layer)
{
    const bool bShadow = styles.dropShadow().isEnabled(), bGlow = styles.outerGlow().isEnabled();
    if (bShadow && bGlow)
        return QStringLiteral("Shadow and glow of %1").arg(layer);
    return (bGlow ? QStringLiteral("Glow of %1") : QStringLiteral("Shadow of %1")).arg(layer);
}

// Why other programs will show a layer differently; empty when they will not.
QStringList degradations(Layer *pLayer, const QRect &reach, const QSize &canvas, const QString &styleName)
{
    QStringList why;
    const int iMode = pLayer->blendingMode();
    if (iMode == 23 || iMode == 11)
        why << QStringLiteral("%1 has no standard name; other programs show it as Normal")
                   .arg(iMode == 23 ? QStringLiteral("Exclusion") : QStringLiteral("Xor"));
    else if (iMode == 12)
        why << QStringLiteral("some programs show Plus as Normal");
    if (pLayer->kind() == Layer::Text)
        why << QStringLiteral("other programs see the text as pixels only");
    if (!styleName.isEmpty())
        why << QStringLiteral("other programs show its styles as a separate layer, \"%1\"").arg(styleName);
    if (!QRect(QPoint(0, 0), canvas).contains(reach))
        why << QStringLiteral("it reaches outside the canvas; other programs cut it at the image edge");
    return why;
}

QByteArray stackXml(const Document &document, const QList<Entry> &entries)
{
    const QString ns = QLatin1String(OraFormat::kNamespace);
    QByteArray bytes;
    QXmlStreamWriter xml(&bytes);
    xml.setAutoFormatting(true);
    xml.writeStartDocument();
    xml.writeStartElement(QStringLiteral("image"));
    xml.writeNamespace(ns, QLatin1String(OraFormat::kPrefix));
    xml.writeAttribute(QStringLiteral("version"), QLatin1String(OraFormat::kVersion));
    xml.writeAttribute(QStringLiteral("w"), QString::number(document.canvasSize().width()));
    xml.writeAttribute(QStringLiteral("h"), QString::number(document.canvasSize().height()));
    xml.writeStartElement(QStringLiteral("stack"));
    // The first child is the top layer.
    for (int i = int(entries.size()) - 1; i >= 0; --i) {
        const Entry &e = entries[i];
        Layer *pLayer = e.pLayer;
        xml.writeStartElement(QStringLiteral("layer"));
        xml.writeAttribute(QStringLiteral("src"), QStringLiteral("data/layer%1.png").arg(i));
        xml.writeAttribute(QStringLiteral("name"), e.name);
        xml.writeAttribute(QStringLiteral("x"), QString::number(e.at.x()));
        xml.writeAttribute(QStringLiteral("y"), QString::number(e.at.y()));
        xml.writeAttribute(QStringLiteral("opacity"), number(pLayer->opacity()));
        xml.writeAttribute(QStringLiteral("visibility"),
                           pLayer->isVisible() ? QStringLiteral("visible") : QStringLiteral("hidden"));
        xml.writeAttribute(QStringLiteral("composite-op"), OraFormat::OpName(pLayer->blendingMode()));
        if (e.bStyle) {
            xml.writeAttribute(ns, QStringLiteral("style-layer"), QStringLiteral("true"));
        } else {
            xml.writeAttribute(ns, QStringLiteral("z"), number(pLayer->zValue()));
            if (pLayer->pos() != QPointF(e.at))
                xml.writeAttribute(ns, QStringLiteral("pos"),
                                   number(pLayer->pos().x()) + QLatin1Char(',') + number(pLayer->pos().y()));
            QStringList records;
            for (const QByteArray &record : pLayer->styles().Records())
                records << QString::fromLatin1(record.toBase64());
            if (!records.isEmpty())
                xml.writeAttribute(ns, QStringLiteral("styles"), records.join(QLatin1Char(',')));
            if (pLayer->kind() == Layer::Text) {
                auto *pText = static_cast<TextLayer *>(pLayer);
                xml.writeAttribute(ns, QStringLiteral("text"), pText->toHtml());
                xml.writeAttribute(ns, QStringLiteral("text-color"),
                                   pText->defaultTextColor().name(QColor::HexArgb));
            }
        }
        xml.writeEndElement();
    }
    xml.writeEndElement();
    xml.writeEndElement();
    xml.writeEndDocument();
    return bytes;
}

// Everything the archive holds, added to *pZip in order.
bool assemble(const Document &document, OraArchiveWriter *pZip, QStringList *pNotes, QString *pError)
{
    try {
        QList<Entry> entries; // bottom first
        QStringList notes;
        const QSize canvas = document.canvasSize();
        for (Layer *pLayer : document.GetLayers(true)) {
            Entry own;
            own.pLayer = pLayer;
            own.name = pLayer->name();
            QImage source;
            if (pLayer->kind() == Layer::Raster) {
                source = static_cast<PixmapLayer *>(pLayer)->image();
                own.image = source;
                own.at = pLayer->pos().toPoint();
            } else {
                auto *pText = static_cast<TextLayer *>(pLayer);
                source = pText->RenderText();
                own.image = straight(source);
                own.at = (pLayer->pos() + pText->QGraphicsTextItem::boundingRect().topLeft()).toPoint();
            }
            QRect reach(own.at, own.image.size());
            QString styleName;
            LayerStyleMgr &styles = pLayer->styles();
            if (styles.HasEnabled()) {
                // The styles alone, as the layer draws them under itself.
                Entry style;
                style.pLayer = pLayer;
                style.bStyle = true;
                style.name = styleName = styleLayerName(styles, own.name);
                const QRect bounds = styles.StyledBounds(source.size());
                QImage picture;
                styles.Compose(bounds, source, [](QPainter &) {}, true, &picture);
                style.image = straight(picture);
                style.at = own.at + bounds.topLeft();
                reach |= QRect(style.at, style.image.size());
                entries.append(std::move(style));
            }
            entries.append(std::move(own));
            const QStringList why = degradations(pLayer, reach, canvas, styleName);
            if (!why.isEmpty())
                notes << QStringLiteral("Layer \"%1\": %2.").arg(pLayer->name(), why.join(QStringLiteral("; ")));
        }
        // The flattened picture and its thumbnail. Text and styles are drawn
        // on this thread only; a document of plain raster layers is
        // flattened beside the layers' encoding.
        QImage merged;
        QByteArray mergedPng, thumbnailPng;
        auto flatten = [&] {
            try {
                merged = document.Flattened();
            } catch (const std::bad_alloc &) {
                return;
            }
            const int iSide = OraFormat::kThumbnailSide;
            const QImage thumbnail = merged.width() <= iSide && merged.height() <= iSide
                ? merged
                : merged.scaled(iSide, iSide, Qt::KeepAspectRatio, Qt::SmoothTransformation);
            thumbnailPng = PngEncoder::Encode(straight(thumbnail), PngEncoder::kDocumentLevel);
        };
        bool bHere = false;
        for (const Entry &e : std::as_const(entries))
            bHere = bHere || e.bStyle || e.pLayer->kind() == Layer::Text;
        if (bHere)
            flatten();
        QList<std::function<void()>> jobs;
        jobs.append([&] {
            if (!bHere)
                flatten();
            mergedPng = PngEncoder::Encode(merged, PngEncoder::kDocumentLevel);
        });
        for (Entry &e : entries)
            jobs.append([&e] { e.png = PngEncoder::Encode(e.image, PngEncoder::kDocumentLevel); });
        runParallel(jobs);
        for (const Entry &e : std::as_const(entries)) {
            if (e.png.isEmpty()) {
                *pError = QStringLiteral("The pixels of layer \"%1\" could not be encoded (not enough memory).")
                              .arg(e.name);
                return false;
            }
        }
        if (mergedPng.isEmpty() || thumbnailPng.isEmpty()) {
            *pError = QStringLiteral("The flattened picture could not be encoded (not enough memory).");
            return false;
        }

        const QByteArray mime(OraFormat::kMimeType);
        const QByteArray stack = stackXml(document, entries);
        QByteArray paths;
        if (!document.paths().isEmpty()) {
            DocumentData data;
            data.version = QString::fromLatin1(CQ_VERSION);
            data.canvas = canvas;
            data.paths = DocumentBuilder::CapturePaths(document);
            paths = DocumentFile::Serialize(data);
        }
        pZip->Add(QStringLiteral("mimetype"), mime, false);
        pZip->Add(QLatin1String(OraFormat::kStack), stack, true);
        for (int i = 0; i < entries.size(); ++i)
            pZip->Add(QStringLiteral("data/layer%1.png").arg(i), entries[i].png, false);
        pZip->Add(QLatin1String(OraFormat::kThumbnail), thumbnailPng, false);
        pZip->Add(QLatin1String(OraFormat::kMerged), mergedPng, false);
        if (!paths.isEmpty())
            pZip->Add(QLatin1String(OraFormat::kPaths), paths, true);
        if (pNotes)
            *pNotes = notes;
        return true;
    } catch (const std::bad_alloc &) {
        *pError = QStringLiteral("There is not enough memory to write the document.");
        return false;
    }
}

} // namespace

namespace OraWriter {

QByteArray Write(const Document &document, QStringList *pNotes, QString *pError)
{
    OraArchiveWriter zip;
    if (!assemble(document, &zip, pNotes, pError))
        return QByteArray();
    return zip.Finish(pError);
}

bool Save(const QString &path, const Document &document, QString *pError, QStringList *pNotes)
{
    // Straight into the new file: the archive is never held whole in memory.
    OraArchiveWriter zip;
    return assemble(document, &zip, pNotes, pError)
        && AtomicFile::Write(path, [&zip](int fd, QString *pFillError) { return zip.WriteTo(fd, pFillError); },
                             pError);
}

} // namespace OraWriter
