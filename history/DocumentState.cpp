#include "DocumentState.h"

#include "Document.h"
#include "Layer.h"
#include "Path.h"
#include "PixmapLayer.h"
#include "ScratchDB.h"
#include "TextLayer.h"

namespace DocumentStates {

DocumentState Capture(const Document &document)
{
    DocumentState state;
    state.canvas = document.canvasSize();
    state.pCurrent = document.CurrentLayer();
    state.selection = document.Selection();
    // Points as the paths hold them, so undo puts back exactly these.
    for (const Path *pPath : document.paths())
        state.paths.append({pPath->name(), pPath->startPoint(), pPath->items()});
    for (Layer *pLayer : document.GetLayers()) {
        LayerState layer;
        layer.pLayer = pLayer;
        layer.deleted = pLayer->isDeleted();
        layer.snapshot = pLayer->kind() == Layer::Raster ? pLayer->currentSnapshotId() : -1;
        LayerData &d = layer.data;
        d.kind = pLayer->kind();
        d.name = pLayer->name();
        d.blendingMode = pLayer->blendingMode();
        d.opacity = pLayer->opacity();
        d.visible = pLayer->isVisible();
        d.z = pLayer->zValue();
        d.pos = pLayer->pos();
        d.styleRecords = {pLayer->styles().State()};
        if (d.kind == Layer::Text) {
            auto *pText = static_cast<TextLayer *>(pLayer);
            d.textColor = pText->defaultTextColor();
            d.html = pText->toHtml();
        }
        state.layers.append(std::move(layer));
    }
    return state;
}

namespace {

void applyPaths(Document &document, const QList<PathData> &paths)
{
    QList<Path *> live = document.paths();
    for (int i = 0; i < paths.size(); ++i) {
        const PathData &d = paths[i];
        Path wanted(d.name);
        wanted.SetPoints(d.start, d.items);
        if (i < live.size()) {
            if (live[i]->name() != d.name)
                live[i]->setName(d.name);
            if (!live[i]->SamePoints(wanted)) {
                live[i]->SetPoints(wanted.startPoint(), wanted.items());
                document.NotifyPathChanged(live[i]);
            }
        } else {
            document.AddPath(new Path(wanted));
        }
    }
    for (int i = int(live.size()) - 1; i >= paths.size(); --i)
        document.DeletePath(live[i]);
}

} // namespace

void Apply(Document &document, const DocumentState &state)
{
    if (document.canvasSize() != state.canvas)
        document.SetCanvasSize(state.canvas);
    ScratchDB &store = document.store();
    for (const LayerState &layer : state.layers) {
        Layer *pLayer = layer.pLayer;
        const LayerData &d = layer.data;
        if (pLayer->name() != d.name)
            pLayer->setName(d.name);
        if (pLayer->blendingMode() != d.blendingMode) {
            pLayer->setBlendingMode(d.blendingMode);
            pLayer->update();
        }
        if (pLayer->opacity() != d.opacity) {
            pLayer->setOpacity(d.opacity);
            pLayer->setOpacityValue(qRound(d.opacity * Layer::kOpacityMaximum));
        }
        if (pLayer->zValue() != d.z)
            pLayer->setZValue(d.z);
        if (!d.styleRecords.isEmpty() && pLayer->styles().State() != d.styleRecords.first())
            pLayer->styles().SetState(d.styleRecords.first());
        if (d.kind == Layer::Raster) {
            auto *pRaster = static_cast<PixmapLayer *>(pLayer);
            // A deleted layer's pixels wait until a step shows it again.
            if (!layer.deleted && layer.snapshot >= 0
                && (pRaster->currentSnapshotId() != layer.snapshot || store.HasPending(pRaster))) {
                store.RestoreItem(pRaster, layer.snapshot);
                pRaster->setCurrentSnapshotId(layer.snapshot);
            }
        } else {
            auto *pText = static_cast<TextLayer *>(pLayer);
            if (pText->pos() != d.pos)
                pText->setPos(d.pos);
            if (pText->defaultTextColor() != d.textColor)
                pText->setDefaultTextColor(d.textColor);
            if (pText->toHtml() != d.html) {
                pText->setHtml(d.html);
                pText->update();
            }
        }
        // Deleted last: bringing a layer back makes it current.
        if (pLayer->isDeleted() != layer.deleted)
            pLayer->setDeleted(layer.deleted);
    }
    applyPaths(document, state.paths);
    if (document.Selection() != state.selection)
        document.SetSelection(state.selection);
    if (state.pCurrent && !state.pCurrent->isDeleted())
        document.SetCurrentLayer(state.pCurrent);
}

} // namespace DocumentStates
