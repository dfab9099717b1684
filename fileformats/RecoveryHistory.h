#pragma once
#include "DocumentData.h"

#include <QList>
#include <QRect>
#include <QSet>
#include <QSize>
#include <QString>

// The undo history a recovery copy keeps: the document as every step left
// it, layer by layer, with raster pixels as snapshots. A snapshot is either
// a layer of the copy's own document (what the layers hold now) or a PNG
// "s<key>.png" in the folder beside the copy; the name is made from the
// key, never read from the copy.
namespace RecoveryHistory {

constexpr quint32 kMaxSteps = 1 << 16;
constexpr quint32 kMaxLayers = 1 << 16;
constexpr quint32 kMaxSnapshots = 1 << 24;
constexpr quint32 kMaxRects = 1 << 24;
constexpr quint32 kMaxPathItems = 1 << 24;

struct LayerStep {
    LayerData data;        // everything but the pixels
    bool deleted = false;
    int snapshot = -1;     // raster: index into History::snapshots; -1 while deleted
};

struct Step {
    QString text;          // the step's name; the first state has none
    QSize canvas;
    int current = -1;      // the current layer's index
    QList<QRect> selection;
    QList<PathData> paths;
    QList<LayerStep> layers; // every layer the history knows, by index
};

struct Snapshot {
    int docLayer = -1;     // index into the copy's layers, or -1: a file
    quint64 key = 0;       // the file's name: "s<key>.png"
    QSize size;
    bool premultiplied = false;
    QPointF pos;
};

struct History {
    QList<Step> steps;     // the document after each step; steps[0] where the history starts
    int current = 0;       // the step the copy's document shows
    int dropped = 0;       // steps before steps[0] that could not be kept
    QList<int> docIndex;   // per history layer: its index in the copy's layers, or -1
    QList<Snapshot> snapshots;
    bool isEmpty() const { return steps.size() < 2; }
};

QString FileName(quint64 key);

QByteArray Encode(const History &history);
// Checks every count against what remains and every index against what it
// points into; `pLayerKinds` are the kinds of the copy's layers (null when
// only listing the copy).
bool Parse(const QByteArray &bytes, const QList<int> *pLayerKinds, History *pHistory);

// Keeps the longest run of steps around the current one that uses none of
// the snapshots in `bad`; what goes before it counts as dropped.
void Cut(History &history, const QSet<int> &bad);
// The file snapshots missing from the folder or not of their size.
QSet<int> MissingFiles(const History &history, const QString &folder);
// What the recovery dialog says about a history that lost steps.
QString Note(const History &history);

} // namespace RecoveryHistory
