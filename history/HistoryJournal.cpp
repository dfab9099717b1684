#include "HistoryJournal.h"

#include "CommandSupport.h"
#include "Document.h"
#include "Layer.h"
#include "PixmapLayer.h"
#include "ScratchDB.h"

#include <QHash>
#include <QSet>
#include <QUndoStack>

namespace {

bool known(const DocumentState &state)
{
    return state.canvas.isValid();
}

} // namespace

RecoveredStepCmd::RecoveredStepCmd(Document *pDocument, std::shared_ptr<const QList<DocumentState>> states, int iStep)
    : QUndoCommand(states->at(iStep).text)
    , m_pDocument(pDocument)
    , m_states(std::move(states))
    , m_iStep(iStep)
{
}

int RecoveredStepCmd::id() const { return commandId<RecoveredStepCmd>(); }

void RecoveredStepCmd::redo()
{
    if (std::exchange(m_bQuiet, false))
        return;
    DocumentStates::Apply(*m_pDocument, after());
}

void RecoveredStepCmd::undo()
{
    if (std::exchange(m_bQuiet, false))
        return;
    DocumentStates::Apply(*m_pDocument, before());
}

HistoryJournal::HistoryJournal(Document *pDocument)
    : QObject(pDocument)
    , m_pDocument(pDocument)
{
    const QUndoStack *pStack = pDocument->undoStack();
    m_states.resize(pStack->count() + 1);
    // A history brought back from a copy knows its states already.
    for (int i = 0; i < pStack->count(); ++i)
        if (const auto *pStep = dynamic_cast<const RecoveredStepCmd *>(pStack->command(i))) {
            if (!known(m_states[i]))
                m_states[i] = pStep->before();
            m_states[i + 1] = pStep->after();
        }
    m_iLastIndex = pStack->index();
    m_iLastCount = pStack->count();
    if (!known(m_states[m_iLastIndex]))
        Record(m_iLastIndex);
    connect(pDocument->undoStack(), &QUndoStack::indexChanged, this, &HistoryJournal::IndexChanged);
    // Nothing is taken down from a document being torn down.
    connect(pDocument, &Document::Closing, this,
            [this] { disconnect(m_pDocument->undoStack(), nullptr, this, nullptr); });
}

void HistoryJournal::Record(int iIndex)
{
    m_states[iIndex] = DocumentStates::Capture(*m_pDocument);
    m_states[iIndex].text = iIndex > 0 ? m_pDocument->undoStack()->text(iIndex - 1) : QString();
}

void HistoryJournal::IndexChanged(int iIndex)
{
    const int iCount = m_pDocument->undoStack()->count();
    // A redo lands on a state already known (and perhaps still being read
    // back); a push, a merge or a cleared stack makes a new one.
    const bool bRedo = iCount == m_iLastCount && iIndex == m_iLastIndex + 1;
    m_states.resize(iCount + 1);
    if (iIndex == iCount && (!bRedo || !known(m_states[iIndex])))
        Record(iIndex);
    m_iLastIndex = iIndex;
    m_iLastCount = iCount;
}

RecoveryHistory::History HistoryJournal::Export(const QList<Layer *> &docLayers, const Landing *pLanding,
                                                QList<SnapshotFile> *pFiles) const
{
    using namespace RecoveryHistory;
    History history;
    const int iIndex = m_pDocument->undoStack()->index();
    if (iIndex >= m_states.size() || !known(m_states[iIndex]))
        return history;
    int first = iIndex;
    while (first > 0 && known(m_states[first - 1]))
        --first;
    int last = iIndex;
    // Finishing a gesture drops what could be redone, as a push does.
    while (!pLanding && last + 1 < m_states.size() && known(m_states[last + 1]))
        ++last;
    QList<DocumentState> states = m_states.mid(first, last - first + 1);
    int current = iIndex - first;
    if (pLanding) {
        DocumentState landed = states[current];
        landed.text = pLanding->text;
        landed.selection = pLanding->selection;
        states.append(landed);
        ++current;
    }
    history.current = current;
    history.dropped = first;

    // Every layer any state knows, in the order they appear.
    QList<Layer *> layers;
    QHash<Layer *, int> layerIndex;
    for (const DocumentState &state : std::as_const(states))
        for (const LayerState &layer : state.layers) {
            if (!layerIndex.contains(layer.pLayer)) {
                layerIndex.insert(layer.pLayer, int(layers.size()));
                layers.append(layer.pLayer);
            }
        }
    for (Layer *pLayer : std::as_const(layers))
        history.docIndex.append(int(docLayers.indexOf(pLayer)));

    // The step the copy shows takes its pixels from the copy's own layers:
    // what they hold now, an open gesture's work included. Other steps
    // take theirs from the store's snapshots.
    QHash<int, int> table; // store id -> snapshot index
    QHash<int, int> docTable; // copy's layer -> snapshot index
    QSet<int> bad;
    QHash<int, SnapshotFile> sources;
    const auto docSnapshotOf = [&](int j) {
        if (const auto it = docTable.constFind(j); it != docTable.constEnd())
            return it.value();
        Snapshot s;
        auto *pRaster = static_cast<PixmapLayer *>(docLayers[j]);
        s.docLayer = j;
        s.size = pRaster->image().size();
        s.pos = pRaster->pos();
        docTable.insert(j, int(history.snapshots.size()));
        history.snapshots.append(s);
        return int(history.snapshots.size()) - 1;
    };
    const auto snapshotOf = [&](int id) {
        if (const auto it = table.constFind(id); it != table.constEnd())
            return it.value();
        Snapshot s;
        SnapshotFile file;
        s.key = quint64(id);
        file.key = s.key;
        const bool bOk = m_pDocument->store().ItemSource(id, &file.source, &file.image, &s.pos, &s.size);
        const int index = int(history.snapshots.size());
        history.snapshots.append(s);
        table.insert(id, index);
        if (!bOk)
            bad.insert(index);
        else
            sources.insert(index, file);
        return index;
    };
    for (int i = 0; i < states.size(); ++i) {
        const DocumentState &state = states[i];
        Step step;
        step.text = state.text;
        step.canvas = state.canvas;
        step.current = state.pCurrent ? layerIndex.value(state.pCurrent, -1) : -1;
        for (const QRect &rect : state.selection)
            step.selection.append(rect);
        step.paths = state.paths;
        QHash<Layer *, const LayerState *> present;
        for (const LayerState &layer : state.layers)
            present.insert(layer.pLayer, &layer);
        for (Layer *pLayer : std::as_const(layers)) {
            LayerStep out;
            if (const LayerState *pState = present.value(pLayer)) {
                out.data = pState->data;
                out.deleted = pState->deleted;
                const int j = int(docLayers.indexOf(pLayer));
                // A deleted layer's pixels are never shown, so never kept.
                if (pState->data.kind != Layer::Raster || pState->deleted)
                    out.snapshot = -1;
                else if (i == current && j >= 0)
                    out.snapshot = docSnapshotOf(j);
                else
                    out.snapshot = snapshotOf(pState->snapshot);
            } else {
                // Not made yet at this step: as good as deleted.
                const LayerState *pLater = nullptr;
                for (const DocumentState &other : std::as_const(states))
                    for (const LayerState &layer : other.layers)
                        if (!pLater && layer.pLayer == pLayer)
                            pLater = &layer;
                out.data = pLater->data;
                out.deleted = true;
                out.snapshot = -1;
            }
            step.layers.append(out);
        }
        history.steps.append(std::move(step));
    }
    Cut(history, bad);
    QSet<int> used;
    for (const Step &step : std::as_const(history.steps))
        for (const LayerStep &layer : step.layers)
            used.insert(layer.snapshot);
    for (auto it = sources.cbegin(); it != sources.cend(); ++it)
        if (used.contains(it.key()))
            pFiles->append(it.value());
    return history;
}

void HistoryJournal::Rebuild(Document *pDocument, const QList<Layer *> &docLayers, RecoveryHistory::History *pHistory,
                             const QString &undoFolder)
{
    using namespace RecoveryHistory;
    History &history = *pHistory;
    if (history.isEmpty())
        return;
    ScratchDB &store = pDocument->store();
    QList<Layer *> layers;
    for (int k = 0; k < history.docIndex.size(); ++k) {
        const int j = history.docIndex[k];
        if (j >= 0) {
            layers.append(docLayers[j]);
        } else if (history.steps.first().layers[k].data.kind == Layer::Raster) {
            // Its pixels come from its snapshots when a step shows it.
            QImage nothing(1, 1, QImage::Format_ARGB32);
            nothing.fill(0);
            layers.append(pDocument->CreateLayer(nothing));
        } else {
            layers.append(pDocument->CreateLayer(Layer::Text));
        }
    }
    QList<int> ids;
    QSet<int> bad;
    for (int i = 0; i < history.snapshots.size(); ++i) {
        const Snapshot &s = history.snapshots[i];
        int id = -1;
        if (s.docLayer >= 0) {
            // What the layer holds now, where it stands now: its first snapshot.
            id = docLayers[s.docLayer]->currentSnapshotId();
        } else {
            id = store.AdoptFile(undoFolder + QLatin1Char('/') + FileName(s.key), s.size,
                                 s.premultiplied ? QImage::Format_ARGB32_Premultiplied : QImage::Format_ARGB32, s.pos);
            if (id >= 0)
                pDocument->OwnItem(id);
        }
        if (id < 0)
            bad.insert(i);
        ids.append(id);
    }
    Cut(history, bad);

    auto states = std::make_shared<QList<DocumentState>>();
    for (const Step &step : std::as_const(history.steps)) {
        DocumentState state;
        state.text = step.text;
        state.canvas = step.canvas;
        state.pCurrent = step.current >= 0 ? layers[step.current] : nullptr;
        QRegion selection;
        selection.setRects(step.selection.constData(), int(step.selection.size()));
        state.selection = selection;
        state.paths = step.paths;
        for (int k = 0; k < layers.size(); ++k) {
            const LayerStep &in = step.layers[k];
            LayerState layer;
            layer.pLayer = layers[k];
            layer.data = in.data;
            layer.deleted = in.deleted;
            layer.snapshot = in.snapshot >= 0 ? ids[in.snapshot] : -1;
            state.layers.append(layer);
        }
        states->append(std::move(state));
    }
    // The layers only the history knows take their places and attributes.
    DocumentStates::Apply(*pDocument, states->at(history.current));
    QUndoStack *pStack = pDocument->undoStack();
    for (int i = 1; i < states->size(); ++i) {
        auto *pStep = new RecoveredStepCmd(pDocument, states, i);
        pStack->push(pStep);
        if (i > history.current)
            pStep->SetQuiet(); // undone below, onto the state it came from

    }
    pStack->setIndex(history.current);
}
