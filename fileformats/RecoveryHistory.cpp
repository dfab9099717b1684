#include "RecoveryHistory.h"

#include "ByteFields.h"
#include "HtmlSanitizer.h"
#include "ImageFile.h"
#include "TextBounds.h"

#include <QImageReader>

#include <cmath>

using namespace ByteFields;

namespace {

constexpr quint32 kMaxName = 1 << 20;
constexpr quint32 kMaxHtml = 1 << 26;
constexpr quint32 kMaxStyles = 256;
constexpr quint32 kMaxStyleBytes = 1 << 20;

void putPoint(QByteArray &out, const QPointF &p)
{
    putF64(out, p.x());
    putF64(out, p.y());
}

bool readPoint(Reader &r, QPointF *p)
{
    double x = 0, y = 0;
    if (!r.F64(&x) || !r.F64(&y) || !std::isfinite(x) || !std::isfinite(y))
        return false;
    *p = QPointF(x, y);
    return true;
}

bool readText(Reader &r, quint32 limit, QString *pText)
{
    QByteArray bytes;
    if (!r.Bytes(limit, &bytes))
        return false;
    *pText = QString::fromUtf8(bytes);
    return true;
}

void putLayer(QByteArray &out, const RecoveryHistory::LayerStep &layer)
{
    const LayerData &d = layer.data;
    putU32(out, quint32(d.kind) | (layer.deleted ? 0x100 : 0) | (d.visible ? 0x200 : 0));
    putBytes(out, d.name.toUtf8());
    putU32(out, quint32(d.blendingMode));
    putF64(out, d.opacity);
    putF64(out, d.z);
    putPoint(out, d.pos);
    putU32(out, quint32(layer.snapshot));
    putU32(out, d.textColor.rgba());
    putBytes(out, d.html.toUtf8());
    putU32(out, quint32(d.styleRecords.size()));
    for (const QByteArray &record : d.styleRecords)
        putBytes(out, record);
}

bool readLayer(Reader &r, int iSnapshots, RecoveryHistory::LayerStep *pLayer)
{
    LayerData &d = pLayer->data;
    quint32 flags = 0, blend = 0, color = 0, styles = 0;
    int snapshot = -1;
    if (!r.U32(&flags) || (flags & ~0x3ffu) != 0 || (flags & 0xff) > 1 || !readText(r, kMaxName, &d.name)
        || !r.U32(&blend) || blend > 64 || !r.F64(&d.opacity) || !(d.opacity >= 0 && d.opacity <= 1) || !r.F64(&d.z)
        || !std::isfinite(d.z) || !readPoint(r, &d.pos) || !r.I32(&snapshot) || !r.U32(&color)
        || !readText(r, kMaxHtml, &d.html) || !r.Count(4, kMaxStyles, &styles))
        return false;
    d.kind = int(flags & 0xff);
    pLayer->deleted = flags & 0x100;
    d.visible = flags & 0x200;
    d.blendingMode = int(blend);
    d.textColor = QColor::fromRgba(color);
    // Text comes back through the same sanitiser as a document's.
    QString what;
    if (d.kind == 1 && (!HtmlSanitizer::Clean(d.html, &d.html) || !TextBounds::Fits(d.html, &what)))
        return false;
    if (d.kind == 0)
        d.html.clear();
    // A raster layer has its pixels unless deleted; a text layer never has any.
    if (d.kind == 0 ? snapshot < -1 || snapshot >= iSnapshots || (snapshot == -1 && !pLayer->deleted) : snapshot != -1)
        return false;
    pLayer->snapshot = snapshot;
    for (quint32 i = 0; i < styles; ++i) {
        QByteArray record;
        if (!r.Bytes(kMaxStyleBytes, &record))
            return false;
        d.styleRecords.append(record);
    }
    return true;
}

// Rectangles as a region lists them: bands from top to bottom, each of one
// height, its rectangles left to right and apart. Others would make a
// region whose parts disagree with each other.
bool banded(const QList<QRect> &rects)
{
    for (qsizetype i = 1; i < rects.size(); ++i) {
        const QRect &a = rects[i - 1], &b = rects[i];
        if (b.top() == a.top() ? b.height() != a.height() || b.left() <= a.right() : b.top() <= a.bottom())
            return false;
    }
    return true;
}

} // namespace

namespace RecoveryHistory {

QString FileName(quint64 key)
{
    return QStringLiteral("s%1.png").arg(key);
}

QByteArray Encode(const History &history)
{
    QByteArray out;
    putU32(out, quint32(history.steps.size()));
    putU32(out, quint32(history.current));
    putU32(out, quint32(history.dropped));
    putU32(out, quint32(history.docIndex.size()));
    for (int i : history.docIndex)
        putU32(out, quint32(i));
    putU32(out, quint32(history.snapshots.size()));
    for (const Snapshot &s : history.snapshots) {
        putU32(out, quint32(s.docLayer));
        putU64(out, s.key);
        putU32(out, quint32(s.size.width()));
        putU32(out, quint32(s.size.height()));
        putU32(out, s.premultiplied ? 1 : 0);
        putPoint(out, s.pos);
    }
    for (const Step &step : history.steps) {
        putBytes(out, step.text.toUtf8());
        putU32(out, quint32(step.canvas.width()));
        putU32(out, quint32(step.canvas.height()));
        putU32(out, quint32(step.current));
        putU32(out, quint32(step.selection.size()));
        for (const QRect &rect : step.selection) {
            putU32(out, quint32(rect.x()));
            putU32(out, quint32(rect.y()));
            putU32(out, quint32(rect.width()));
            putU32(out, quint32(rect.height()));
        }
        putU32(out, quint32(step.paths.size()));
        for (const PathData &path : step.paths) {
            putBytes(out, path.name.toUtf8());
            putPoint(out, path.start);
            putU32(out, quint32(path.items.size()));
            for (const PathItem &item : path.items) {
                putU32(out, quint32(item.kind));
                putPoint(out, item.first);
                putPoint(out, item.second);
                putPoint(out, item.control1);
                putPoint(out, item.control2);
            }
        }
        for (const LayerStep &layer : step.layers)
            putLayer(out, layer);
    }
    return out;
}

bool Parse(const QByteArray &bytes, const QList<int> *pLayerKinds, History *pHistory)
{
    // Without the document (listing a copy), its layers are taken on trust.
    const QList<int> layerKinds = pLayerKinds ? *pLayerKinds : QList<int>(kMaxLayers, -1);
    const auto kindFits = [&](int index, int kind) { return layerKinds[index] == kind || !pLayerKinds; };
    Reader r(bytes.constData(), bytes.size());
    History h;
    quint32 steps = 0, current = 0, dropped = 0, layers = 0, snapshots = 0;
    // A step is at least its text, canvas and counts: 24 bytes; a layer 60.
    if (!r.Count(24, kMaxSteps, &steps) || steps == 0 || !r.U32(&current) || current >= steps || !r.U32(&dropped)
        || dropped > kMaxSteps || !r.Count(4, kMaxLayers, &layers))
        return false;
    h.current = int(current);
    h.dropped = int(dropped);
    QList<bool> used(layerKinds.size(), false);
    for (quint32 i = 0; i < layers; ++i) {
        int index = -1;
        if (!r.I32(&index) || index < -1 || index >= layerKinds.size() || (index >= 0 && used[index]))
            return false;
        if (index >= 0)
            used[index] = true;
        h.docIndex.append(index);
    }
    if (!r.Count(40, kMaxSnapshots, &snapshots))
        return false;
    for (quint32 i = 0; i < snapshots; ++i) {
        Snapshot s;
        quint32 w = 0, hgt = 0, premultiplied = 0;
        if (!r.I32(&s.docLayer) || s.docLayer < -1 || s.docLayer >= layerKinds.size()
            || (s.docLayer >= 0 && !kindFits(s.docLayer, 0)) || !r.U64(&s.key) || !r.U32(&w) || !r.U32(&hgt)
            || !ImageFile::Fits(qint64(w), qint64(hgt)) || !r.U32(&premultiplied) || premultiplied > 1
            || !readPoint(r, &s.pos))
            return false;
        s.size = QSize(int(w), int(hgt));
        s.premultiplied = premultiplied;
        h.snapshots.append(s);
    }
    for (quint32 i = 0; i < steps; ++i) {
        Step step;
        quint32 w = 0, hgt = 0, rects = 0, paths = 0;
        if (!readText(r, kMaxName, &step.text) || !r.U32(&w) || !r.U32(&hgt) || !ImageFile::Fits(qint64(w), qint64(hgt))
            || !r.I32(&step.current) || step.current < -1 || step.current >= int(layers)
            || !r.Count(16, kMaxRects, &rects))
            return false;
        step.canvas = QSize(int(w), int(hgt));
        for (quint32 j = 0; j < rects; ++j) {
            int x = 0, y = 0, rw = 0, rh = 0;
            r.I32(&x), r.I32(&y), r.I32(&rw), r.I32(&rh);
            if (rw <= 0 || rh <= 0 || qAbs(x) > 4 * int(ImageFile::kMaxSide) || qAbs(y) > 4 * int(ImageFile::kMaxSide)
                || rw > 4 * int(ImageFile::kMaxSide) || rh > 4 * int(ImageFile::kMaxSide))
                return false;
            step.selection.append(QRect(x, y, rw, rh));
        }
        if (!banded(step.selection))
            return false;
        if (!r.Count(24, kMaxPathItems, &paths))
            return false;
        for (quint32 j = 0; j < paths; ++j) {
            PathData path;
            quint32 items = 0;
            if (!readText(r, kMaxName, &path.name) || !readPoint(r, &path.start) || !r.Count(68, kMaxPathItems, &items))
                return false;
            for (quint32 k = 0; k < items; ++k) {
                PathItem item;
                quint32 kind = 0;
                if (!r.U32(&kind) || kind > PathItem::QuadTo || !readPoint(r, &item.first)
                    || !readPoint(r, &item.second) || !readPoint(r, &item.control1) || !readPoint(r, &item.control2))
                    return false;
                item.kind = int(kind);
                path.items.append(item);
            }
            step.paths.append(path);
        }
        if (qint64(layers) * 60 > r.Left())
            return false;
        for (quint32 j = 0; j < layers; ++j) {
            LayerStep layer;
            if (!readLayer(r, int(snapshots), &layer))
                return false;
            // A layer keeps its kind through the whole history.
            const int kind = i == 0 ? layer.data.kind : h.steps.first().layers[j].data.kind;
            const int index = h.docIndex[j];
            if (layer.data.kind != kind || (index >= 0 && !kindFits(index, kind)))
                return false;
            step.layers.append(layer);
        }
        h.steps.append(step);
    }
    if (r.Left() != 0)
        return false;
    *pHistory = std::move(h);
    return true;
}

void Cut(History &history, const QSet<int> &bad)
{
    if (bad.isEmpty() || history.steps.isEmpty())
        return;
    const auto usable = [&](int i) {
        for (const LayerStep &layer : std::as_const(history.steps[i].layers))
            if (bad.contains(layer.snapshot))
                return false;
        return true;
    };
    int first = history.current;
    int last = history.current;
    // Undoing or redoing away from the current step needs its pixels too.
    if (usable(history.current)) {
        while (last + 1 < history.steps.size() && usable(last + 1))
            ++last;
        while (first > 0 && usable(first - 1))
            --first;
    }
    history.steps = history.steps.mid(first, last - first + 1);
    history.current -= first;
    history.dropped += first;
}

QSet<int> MissingFiles(const History &history, const QString &folder)
{
    QSet<int> missing;
    for (int i = 0; i < history.snapshots.size(); ++i) {
        const Snapshot &s = history.snapshots[i];
        if (s.docLayer >= 0)
            continue;
        QImageReader reader(folder + QLatin1Char('/') + FileName(s.key), "png");
        if (reader.size() != s.size)
            missing.insert(i);
    }
    return missing;
}

QString Note(const History &history)
{
    if (history.dropped == 0)
        return QString();
    if (history.isEmpty())
        return QStringLiteral("The undo history could not be kept.");
    return QStringLiteral("The undo history starts after step %1: the steps before could not be kept.")
        .arg(history.dropped);
}

} // namespace RecoveryHistory
