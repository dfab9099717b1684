#pragma once
#include "DocumentData.h"

#include <QList>
#include <QRegion>
#include <QSize>
#include <QString>

class Document;
class Layer;

// A document as one step of its history left it: every layer it holds
// (deleted ones included) with its attributes, raster pixels as the
// scratch store's snapshot id, the selection and the paths. Taken after
// each step, so a history can be written down and rebuilt step by step.
struct LayerState {
    Layer *pLayer = nullptr;
    LayerData data;        // attributes; text; styles as one state record; no pixels
    bool deleted = false;
    int snapshot = -1;     // raster: the store's id of its pixels and position
};

struct DocumentState {
    QString text;          // the name of the step that led here
    QSize canvas;
    Layer *pCurrent = nullptr;
    QRegion selection;
    QList<PathData> paths; // start and items as the paths hold them
    QList<LayerState> layers;
};

namespace DocumentStates {

DocumentState Capture(const Document &document);
// Puts the document in the state: what differs is set, raster layers are
// brought back from their snapshots, missing paths are made again.
void Apply(Document &document, const DocumentState &state);

} // namespace DocumentStates
