#include "DocumentBuilder.h"

#include "Document.h"
#include "DocumentFile.h"
#include "Layer.h"
#include "OraWriter.h"
#include "Path.h"
#include "PixmapLayer.h"
#include "ScratchDB.h"
#include "TextLayer.h"

#include <QUndoCommand>
#include <QUndoStack>

#include <algorithm>
#include <memory>
#include <new>
#include <numeric>

DocumentData DocumentBuilder::Capture(const Document &document)
{
    DocumentData data = Gather(document);
    EncodePixels(data);
    return data;
}

void DocumentBuilder::EncodePixels(DocumentData &data)
{
    QList<QImage> images;
    QList<int> raster;
    for (int i = 0; i < data.layers.size(); ++i)
        if (data.layers[i].kind == Layer::Raster && data.layers[i].png.isEmpty()) {
            raster.append(i);
            images.append(data.layers[i].image);
        }
    const QList<QByteArray> pngs = DocumentFile::EncodePngs(images);
    for (int j = 0; j < raster.size(); ++j)
        data.layers[raster[j]].png = pngs[j];
}

DocumentData DocumentBuilder::Gather(const Document &document)
{
    DocumentData data;
    data.version = QString::fromLatin1(CQ_VERSION);
    data.canvas = document.canvasSize();
    for (Layer *pLayer : document.GetLayers(true)) {
        LayerData layer;
        layer.kind = pLayer->kind();
        layer.name = pLayer->name();
        layer.blendingMode = pLayer->blendingMode();
        layer.opacity = pLayer->opacity();
        layer.visible = pLayer->isVisible();
        layer.z = pLayer->zValue();
        layer.pos = pLayer->pos();
        layer.styleRecords = pLayer->styles().Records();
        if (layer.kind == Layer::Raster) {
            // Shared, not copied: the pixels are copied only if the layer
            // changes while the data is still held.
            layer.image = static_cast<PixmapLayer *>(pLayer)->image();
        } else {
            auto *pText = static_cast<TextLayer *>(pLayer);
            layer.textColor = pText->defaultTextColor();
            layer.html = pText->toHtml();
        }
        data.layers.append(std::move(layer));
    }
    data.paths = CapturePaths(document);
    return data;
}

QList<PathData> DocumentBuilder::CapturePaths(const Document &document)
{
    QList<PathData> paths;
    for (const Path *pPath : document.paths()) {
        PathData path;
        path.name = pPath->name();
        path.start = pPath->startPoint();
        path.items = pPath->items();
        // A path read from a file begins with its start record as a move to
        // the start point; that record is written once, not twice.
        if (!path.items.isEmpty()) {
            const PathItem &first = path.items.first();
            if (first.kind == PathItem::MoveTo && first.first == path.start && first.second == path.start)
                path.items.removeFirst();
        }
        paths.append(std::move(path));
    }
    return paths;
}

Document *DocumentBuilder::Build(const DocumentData &data, const DocumentEnv &env, QList<Layer *> *pLayers)
{
    ScratchDB &store = env.store;
    // Owned here until it is whole, so running out of memory half way frees it.
    auto pDocument = std::make_unique<Document>(data.canvas, env);

    // Created in stacking order, so the layer list is sorted by z already.
    QList<int> order(data.layers.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(),
                     [&data](int a, int b) { return data.layers[a].z < data.layers[b].z; });
    QList<Layer *> made(data.layers.size(), nullptr);
    for (int i : std::as_const(order)) {
        const LayerData &d = data.layers[i];
        // A raster layer is made of its decoded pixels, so its first
        // snapshot is what was read and nothing canvas-sized is made for it.
        const bool bPixels = d.kind == Layer::Raster && !d.image.isNull();
        Layer *pLayer = bPixels ? pDocument->CreateLayer(d.image) : pDocument->CreateLayer(d.kind);
        made[i] = pLayer;
        pLayer->setName(d.name);
        pLayer->setBlendingMode(d.blendingMode);
        pLayer->setOpacity(d.opacity);
        pLayer->setOpacityValue(qRound(d.opacity * Layer::kOpacityMaximum));
        pLayer->setVisible(d.visible);
        pLayer->setZValue(d.z);
        pLayer->setPos(d.pos);
        // Its first snapshot stands where the layer stands, so undoing back
        // to it later does not move the layer.
        if (d.kind == Layer::Raster)
            store.PlaceItem(pLayer->currentSnapshotId(), d.pos);
        pLayer->styles().ReadRecords(d.styleRecords);
        if (d.kind == Layer::Text) {
            auto *pText = static_cast<TextLayer *>(pLayer);
            pText->setDefaultTextColor(d.textColor);
            pText->setHtml(d.html);
        }
    }

    for (const PathData &d : data.paths) {
        auto *pPath = new Path(d.name);
        PathItem start;
        start.kind = PathItem::MoveTo;
        start.first = start.second = d.start;
        pPath->AddItem(start);
        for (const PathItem &item : d.items)
            pPath->AddItem(item);
        pDocument->AddPath(pPath);
    }
    // The topmost layer is current, as after creating the layers one by one.
    const QList<Layer *> layers = pDocument->GetLayers(true);
    pDocument->SetCurrentLayer(layers.isEmpty() ? nullptr : layers.last());

    pDocument->undoStack()->push(new QUndoCommand(QStringLiteral("open file")));
    pDocument->MarkSaved();
    if (pLayers)
        *pLayers = made;
    return pDocument.release();
}

bool DocumentBuilder::Save(const QString &path, const Document &document, QString *pError, QStringList *pNotes)
{
    if (DocumentFile::IsOpenRasterName(path))
        return OraWriter::Save(path, document, pError, pNotes);
    // Nothing is written when a layer could not be encoded: the old file stays.
    const QByteArray bytes = DocumentFile::Serialize(Capture(document), pError);
    return !bytes.isEmpty() && DocumentFile::WriteFile(path, bytes, pError);
}

Document *DocumentBuilder::Load(const QString &path, const DocumentEnv &env, QString *pError, QStringList *pNotes)
{
    DocumentData data;
    if (!DocumentFile::ReadFile(path, &data, pError))
        return nullptr;
    if (pNotes)
        *pNotes = data.notes;
    try {
        return Build(data, env);
    } catch (const std::bad_alloc &) {
        // Each layer fits on its own; all of them together may not.
        *pError = QStringLiteral("There is not enough memory to open this document.");
        return nullptr;
    }
}
