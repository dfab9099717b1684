// One autosave round of a document of ten 4096 x 4096 raster layers with 50
// steps of history after a brush stroke: the time the interface thread
// spends taking the state, the worker's time to encode and write the copy
// and its snapshots, the copy's size, what the next stroke costs while the
// worker still holds the pixels, and reading the copy back into a document
// window with its history (recovery at start), then the first undo.
#include "Autosave.h"
#include "BenchSupport.h"
#include "ChildWindow.h"
#include "Document.h"
#include "DocumentBuilder.h"
#include "HistoryJournal.h"
#include "LayerSnapshotCmd.h"
#include "PixmapLayer.h"
#include "RecoveryFile.h"
#include "RecoveryFolder.h"
#include "ScratchDB.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QPainter>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QUndoStack>

#include <algorithm>
#include <cstdio>
#include <unistd.h>

using bench::median;

namespace {

constexpr int kSide = 4096;
constexpr int kLayers = 10;
constexpr int kRuns = 5;
constexpr int kSteps = 50;

// The copy and its snapshots under a new name, as a crashed instance
// leaves them (linked: recovery moves the snapshots away).
QString crashed(const QString &copy, const QString &folder, int iRun)
{
    const QString orphan = QStringLiteral("%1/i1x1-%2 run.cqr").arg(folder).arg(iRun);
    ::link(QFile::encodeName(copy).constData(), QFile::encodeName(orphan).constData());
    const QString from = RecoveryFolder::UndoFolder(copy);
    const QString to = RecoveryFolder::UndoFolder(orphan);
    QDir().mkpath(to);
    for (const QString &name : QDir(from).entryList(QDir::Files))
        ::link(QFile::encodeName(from + QLatin1Char('/') + name).constData(),
               QFile::encodeName(to + QLatin1Char('/') + name).constData());
    return orphan;
}

QImage layerContent(int iSeed)
{
    QImage image(kSide, kSide, QImage::Format_ARGB32);
    QPainter p(&image);
    QLinearGradient g(0, 0, kSide, kSide);
    g.setColorAt(0, QColor::fromHsv(iSeed * 36 % 360, 200, 230, 255));
    g.setColorAt(1, QColor::fromHsv((iSeed * 36 + 120) % 360, 150, 90, 160));
    p.fillRect(image.rect(), g);
    QRandomGenerator rng{quint32(iSeed)};
    for (int i = 0; i < 200; ++i)
        p.fillRect(QRect(rng.bounded(kSide), rng.bounded(kSide), 40 + rng.bounded(300), 40 + rng.bounded(300)),
                   QColor::fromHsv(rng.bounded(360), 120, 200, 200));
    return image;
}

// A stroke through the painting protocol, recorded as the brush records it.
double stroke(Document &document, int iRun)
{
    QElapsedTimer t;
    t.start();
    PixmapLayer *pLayer = document.CurrentRasterLayer();
    document.BeginPaint(true, pLayer);
    QPainter *pPainter = document.BeginStroke();
    pPainter->setPen(QPen(QColor(20 * iRun, 40, 200), 12, Qt::SolidLine, Qt::RoundCap));
    pPainter->drawLine(100 + 50 * iRun, 100, 2000, 1500 + 30 * iRun);
    document.CommitStroke(QRect(80, 80, 2000, 1500 + 30 * iRun + 40));
    document.EndPaint();
    document.undoStack()->push(new LayerSnapshotCmd(QStringLiteral("Paintbrush - ") + pLayer->name(), pLayer));
    return t.nsecsElapsed() / 1e6;
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir tmp;
    // The store as the editor runs it: snapshots beyond its memory limit
    // go to disk, where the copies link them from.
    ScratchDB store;
    store.Init(tmp.path(), ScratchDB::DefaultMemoryLimit);

    auto *pWindow = new ChildWindow(nullptr, QSize(kSide, kSide), store);
    for (int i = 0; i < kLayers; ++i)
        static_cast<PixmapLayer *>(pWindow->CreateLayer(0))->setImage(layerContent(i));
    Document &document = *pWindow->document();
    document.MarkSaved();

    RecoveryFolder folder;
    if (!folder.Open(tmp.filePath(QStringLiteral("recovery")))) {
        std::fprintf(stderr, "no recovery folder\n");
        return 1;
    }
    Autosave autosave(folder);
    autosave.Watch(pWindow);
    int iWritten = 0;
    QObject::connect(&autosave, &Autosave::Written, [&iWritten] { ++iWritten; });
    const QList<Layer *> layers = document.GetLayers(true);
    // A second journal, to time taking the history apart from the rest.
    auto *pProbe = new HistoryJournal(&document);
    for (int i = 0; i < kSteps - kRuns * 2; ++i) {
        document.SetCurrentLayer(layers[i % kLayers]);
        stroke(document, i % 7);
    }
    store.Sync();
    QElapsedTimer first;
    first.start();
    autosave.WriteChanged();
    autosave.Flush();
    const double firstCopy = first.nsecsElapsed() / 1e9;
    QList<double> captures, workers, strokesBusy, strokesIdle;
    for (int run = 0; run < kRuns; ++run) {
        strokesIdle.append(stroke(document, run));
        QElapsedTimer t;
        t.start();
        autosave.WriteChanged();
        captures.append(autosave.LastCaptureNs() / 1e6);
        // The next stroke while the worker still holds the layer's pixels.
        strokesBusy.append(stroke(document, run + 10));
        autosave.Flush();
        workers.append(t.nsecsElapsed() / 1e9);
    }
    // The interface thread's share, piece by piece, on a machine shared
    // with other work: medians and minimums of many tries.
    QList<double> gathers, exports;
    for (int i = 0; i < 15; ++i) {
        QElapsedTimer t;
        t.start();
        DocumentData data = DocumentBuilder::Gather(document);
        gathers.append(t.nsecsElapsed() / 1e6);
        t.restart();
        QList<HistoryJournal::SnapshotFile> files;
        const RecoveryHistory::History history = pProbe->Export(layers, nullptr, &files);
        exports.append(t.nsecsElapsed() / 1e6);
    }
    const QString path = autosave.CopyPathOf(&document);
    const double mib = QFileInfo(path).size() / 1048576.0;
    double undoMib = 0;
    const QFileInfoList snapshots = QDir(RecoveryFolder::UndoFolder(path)).entryInfoList(QDir::Files);
    for (const QFileInfo &file : snapshots)
        undoMib += file.size() / 1048576.0;
    std::printf("%d layers of %dx%d (%d MiB of pixels), %d steps of history, %d rounds, %lld copies written\n",
                kLayers, kSide, kSide, int(qint64(kLayers) * kSide * kSide * 4 / 1048576),
                int(document.undoStack()->count()), kRuns, qlonglong(iWritten));
    std::printf("  first copy with its history: %.2f s on the worker\n", firstCopy);
    std::printf("  interface thread per round: %.3f ms (median), %.3f ms (least) (target <= 2 ms)\n", median(captures),
                *std::min_element(captures.begin(), captures.end()));
    std::printf("    of it: the document's state %.3f ms, its history %.3f ms (medians; least %.3f and %.3f)\n",
                median(gathers), median(exports), *std::min_element(gathers.begin(), gathers.end()),
                *std::min_element(exports.begin(), exports.end()));
    std::printf("  worker: encode and write %.2f s (median), copy %.1f MiB, beside it %d snapshots %.1f MiB "
                "(linked from the scratch store where they were on disk)\n",
                median(workers), mib, int(snapshots.size()), undoMib);
    std::printf("  a stroke: %.1f ms idle, %.1f ms while the worker holds the pixels\n", median(strokesIdle),
                median(strokesBusy));

    QList<double> plain, opens, settles, undos;
    int iSteps = 0;
    for (int run = 0; run < 3; ++run) {
        const QString orphan = crashed(path, folder.Path(), run);
        RecoveryInfo info;
        QString error;
        // As recovery went before copies kept their history: the document only.
        QElapsedTimer t;
        t.start();
        {
            DocumentData data;
            if (!RecoveryFile::Read(orphan, &info, &data, &error)) {
                std::fprintf(stderr, "%s\n", qPrintable(error));
                return 1;
            }
            ChildWindow *pPlain = new ChildWindow(nullptr, DocumentBuilder::Build(data, store));
            pPlain->show();
            QCoreApplication::processEvents();
            plain.append(t.nsecsElapsed() / 1e9);
            delete pPlain;
            store.Sync();
        }
        t.restart();
        DocumentData data;
        RecoveryHistory::History history;
        if (!RecoveryFile::Read(orphan, &info, &data, &error, &history)) {
            std::fprintf(stderr, "%s\n", qPrintable(error));
            return 1;
        }
        QList<Layer *> made;
        Document *pDocument = DocumentBuilder::Build(data, store, &made);
        pDocument->undoStack()->clear();
        HistoryJournal::Rebuild(pDocument, made, &history, RecoveryFolder::UndoFolder(orphan));
        ChildWindow *pRecovered = new ChildWindow(nullptr, pDocument);
        pRecovered->show();
        QCoreApplication::processEvents();
        opens.append(t.nsecsElapsed() / 1e9);
        iSteps = pDocument->undoStack()->count();
        // The store writes the opened layers' pixels out first, as after
        // opening any document; then one undo reads a snapshot back.
        t.restart();
        store.Sync();
        settles.append(t.nsecsElapsed() / 1e9);
        t.restart();
        pDocument->undoStack()->undo();
        store.Sync();
        QCoreApplication::processEvents();
        undos.append(t.nsecsElapsed() / 1e9);
        delete pRecovered;
        folder.Remove(orphan);
    }
    std::printf("  recovery: read the copy, rebuild %d steps and show it %.2f s (median); the document alone %.2f s\n",
                iSteps, median(opens), median(plain));
    std::printf("  then: the store writes the opened layers out %.2f s, one undo %.2f s (medians)\n", median(settles),
                median(undos));
    delete pWindow;
    return 0;
}
