// One autosave round of a document of ten 4096 x 4096 raster layers after a
// brush stroke: the time the interface thread spends taking the state, the
// worker's time to encode and write the copy, the copy's size, what the
// next stroke costs while the worker still holds the pixels, and reading
// the copy back into a document window (recovery at start).
#include "Autosave.h"
#include "BenchSupport.h"
#include "ChildWindow.h"
#include "Document.h"
#include "DocumentBuilder.h"
#include "LayerSnapshotCmd.h"
#include "PixmapLayer.h"
#include "RecoveryFile.h"
#include "RecoveryFolder.h"
#include "ScratchDB.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QPainter>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QUndoStack>

#include <cstdio>

using bench::median;

namespace {

constexpr int kSide = 4096;
constexpr int kLayers = 10;
constexpr int kRuns = 3;

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
    ScratchDB store;
    store.Init(tmp.path(), qint64(8) * 1024 * 1024 * 1024);

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
    const QString path = autosave.CopyPathOf(&document);
    const double mib = QFileInfo(path).size() / 1048576.0;
    std::printf("%d layers of %dx%d (%d MiB of pixels), %d rounds, %lld copies written\n", kLayers, kSide, kSide,
                int(qint64(kLayers) * kSide * kSide * 4 / 1048576), kRuns, qlonglong(iWritten));
    std::printf("  interface thread per round: %.3f ms (median; target <= 2 ms)\n", median(captures));
    std::printf("  worker: encode and write %.2f s (median), copy %.1f MiB\n", median(workers), mib);
    std::printf("  a stroke: %.1f ms idle, %.1f ms while the worker holds the pixels\n", median(strokesIdle),
                median(strokesBusy));

    QList<double> opens;
    for (int run = 0; run < kRuns; ++run) {
        QElapsedTimer t;
        t.start();
        RecoveryInfo info;
        DocumentData data;
        QString error;
        if (!RecoveryFile::Read(path, &info, &data, &error)) {
            std::fprintf(stderr, "%s\n", qPrintable(error));
            return 1;
        }
        ChildWindow *pRecovered = new ChildWindow(nullptr, DocumentBuilder::Build(data, store));
        pRecovered->show();
        QCoreApplication::processEvents();
        opens.append(t.nsecsElapsed() / 1e9);
        delete pRecovered;
    }
    std::printf("  recovery: read the copy and show it %.2f s (median)\n", median(opens));
    delete pWindow;
    return 0;
}
