// Whole-image commands on a document of 8 raster layers of 4096 x 4096:
// rotate, flip, image size and canvas size, each timed for its first redo
// (the push), its undo and a later redo. The scratch store is not started,
// so snapshots stay in memory and the figures are the commands' own work.
#include "Document.h"
#include "PixelOps.h"
#include "CreateLayerCmd.h"
#include "ExportPreviewDlg.h"
#include "ImageFlipCmd.h"
#include "ImageRotateCmd.h"
#include "LayerSnapshotCmd.h"
#include "PixmapLayer.h"
#include "ScratchDB.h"
#include "ResizeCanvasCmd.h"
#include "ResizeImageCmd.h"
#include "BenchSupport.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPainter>
#include <QSlider>
#include <QUndoStack>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <vector>

using bench::median;

namespace {

double msSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

void measure(const char *name, QUndoStack *pStack, const std::function<QUndoCommand *()> &make, int runs)
{
    std::vector<double> pushes, undos, redos;
    for (int i = 0; i < runs; ++i) {
        auto start = std::chrono::steady_clock::now();
        pStack->push(make());
        pushes.push_back(msSince(start));
        start = std::chrono::steady_clock::now();
        pStack->undo();
        undos.push_back(msSince(start));
        start = std::chrono::steady_clock::now();
        pStack->redo();
        redos.push_back(msSince(start));
        pStack->undo();
    }
    std::printf("%-28s push %8.1f ms   undo %8.1f ms   redo %8.1f ms   (median of %d)\n", name, median(pushes),
                median(undos), median(redos), runs);
    std::fflush(stdout);
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int side = argc > 1 ? std::max(16, atoi(argv[1])) : 4096;
    const int layers = 8;
    const int runs = 3;

    ScratchDB store;
    Document window(QSize(side, side), store);
    QUndoStack *pStack = window.undoStack();
    for (int i = 0; i < layers; ++i) {
        auto *pCreate = new CreateLayerCmd(&window, Layer::Raster);
        pStack->push(pCreate);
        auto *pLayer = static_cast<PixmapLayer *>(pCreate->layer());
        pLayer->setImage(PixelOps::PaintOnStraight(pLayer->image(), [&](QPainter &painter) {
            QLinearGradient gradient(0, 0, side, side);
            gradient.setColorAt(0, QColor::fromHsv(i * 40, 200, 220, 255));
            gradient.setColorAt(1, QColor::fromHsv((i * 40 + 120) % 360, 160, 120, 128));
            painter.fillRect(QRect(0, 0, side, side / (i + 1) + 1), gradient);
        }));
        pLayer->update();
        pStack->push(new LayerSnapshotCmd(QStringLiteral("Paint - ") + pLayer->name(), pLayer));
    }
    std::printf("document: %d raster layers of %d x %d\n", layers, side, side);

    measure("rotate 90", pStack, [&] {
        return new ImageRotateCmd(&window, 90, QStringLiteral("Image Rotate (90)"));
    }, runs);
    measure("rotate 180", pStack, [&] {
        return new ImageRotateCmd(&window, 180, QStringLiteral("Image Rotate (180)"));
    }, runs);
    measure("flip horizontal", pStack, [&] {
        return new ImageFlipCmd(&window, true, false, QStringLiteral("Image Flip Horizontal"));
    }, runs);
    measure("image size to half", pStack, [&] {
        return new ResizeImageCmd(&window, side / 2, side / 2, side, side);
    }, runs);
    measure("canvas size +1000, centre", pStack, [&] {
        return new ResizeCanvasCmd(&window, side + 1000, side + 1000, side, side, 4);
    }, runs);

    // Export preview of the flattened document: how long the GUI thread is
    // held by a burst of slider values, and when the last value's preview lands.
    QImage flat(side, side, QImage::Format_ARGB32);
    flat.fill(Qt::white);
    {
        QPainter painter(&flat);
        window.RenderTo(&painter);
    }
    {
        ExportPreviewDlg dialog(QStringLiteral("JPG"), flat);
        while (dialog.IsEncoding())
            app.processEvents(QEventLoop::WaitForMoreEvents);
        auto *pSlider = dialog.findChild<QSlider *>(QStringLiteral("qualitySlider"));
        int encodes = 0;
        QObject::connect(&dialog, &ExportPreviewDlg::PreviewUpdated, [&] { ++encodes; });
        QElapsedTimer timer;
        timer.start();
        double worstStep = 0;
        for (int q = 99; q >= 80; --q) {
            QElapsedTimer step;
            step.start();
            pSlider->setValue(q);
            app.processEvents();
            worstStep = std::max(worstStep, step.nsecsElapsed() / 1e6);
        }
        const double burst = timer.nsecsElapsed() / 1e6;
        while (dialog.IsEncoding())
            app.processEvents(QEventLoop::WaitForMoreEvents);
        std::printf("export preview JPG %dx%d: 20 slider steps took %.1f ms on the GUI thread (worst step %.1f ms); "
                    "last preview after %.1f ms, %d trial writes\n",
                    side, side, burst, worstStep, timer.nsecsElapsed() / 1e6, encodes);
    }
    return 0;
}
