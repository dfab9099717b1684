// Document benchmarks: one CommitStroke of a small area on a large layer, and
// redrawing a full-HD-ish view of a deep stack in mixed blending modes.
#include "ChildWindow.h"
#include "GraphicsScene.h"
#include "PixmapLayer.h"
#include "ScratchDB.h"
#include "BenchSupport.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPainter>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>

using bench::median;

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir tmp;
    ScratchDB store;
    store.Init(tmp.path(), qint64(2) * 1024 * 1024 * 1024);
    const int big = 4096;
    {
        ChildWindow window(nullptr, QSize(big, big), store);
        auto *pLayer = static_cast<PixmapLayer *>(window.CreateLayer(Layer::Raster));
        pLayer->image().fill(Qt::white);
        window.SetSelection(QRegion(100, 100, 3000, 3000));
        window.BeginPaint(true, pLayer);
        QList<double> times;
        for (int i = 0; i < 200; ++i) {
            const QRect area((i * 37) % 3900, (i * 53) % 3900, 64, 64);
            QPainter *pPainter = window.BeginStroke();
            pPainter->fillRect(area, QColor(255, 0, 0, 100));
            QElapsedTimer timer;
            timer.start();
            window.CommitStroke(area);
            times.append(timer.nsecsElapsed() / 1e6);
        }
        window.EndPaint();
        std::printf("CommitStroke 64x64 on %dx%d, rectangular selection: median %.3f ms (first %.3f ms)\n",
                    big, big, median(times), times.first());
    }
    {
        ChildWindow window(nullptr, QSize(big, big), store);
        const auto &modes = Layer::BlendingModes();
        for (int i = 0; i < 10; ++i) {
            auto *pLayer = static_cast<PixmapLayer *>(window.CreateLayer(Layer::Raster));
            QImage image(big, big, QImage::Format_ARGB32);
            image.fill(QColor::fromHsv(i * 36, 200, 220, 120 + i * 12));
            pLayer->setImage(image);
            pLayer->setBlendingMode(modes[i % modes.size()].second);
            pLayer->setOpacity(0.5 + i * 0.05);
        }
        QImage frame(1600, 900, QImage::Format_ARGB32_Premultiplied);
        auto redraw = [&] {
            QElapsedTimer timer;
            timer.start();
            QPainter painter(&frame);
            window.scene()->render(&painter, QRectF(0, 0, 1600, 900), QRectF(0, 0, 1600, 900));
            painter.end();
            return timer.nsecsElapsed() / 1e6;
        };
        QList<double> steady, fresh, onePainted;
        for (int i = 0; i < 15; ++i)
            steady.append(redraw());
        for (int i = 0; i < 9; ++i) {
            // Every layer changed everywhere: the whole view is blended again.
            for (Layer *pLayer : window.GetLayers())
                pLayer->update();
            fresh.append(redraw());
        }
        auto *pTop = static_cast<PixmapLayer *>(window.GetLayers().last());
        for (int i = 0; i < 15; ++i) {
            // A 64x64 dab on the top layer, as a brush stroke does.
            const QRect dab(100 + i * 70, 400, 64, 64);
            QPainter(&pTop->image()).fillRect(dab, QColor(0, 0, 0, 40));
            pTop->update(QRectF(dab));
            onePainted.append(redraw());
        }
        std::printf("Redraw 1600x900 view, 10 layers of %dx%d, mixed modes, 100%%: median %.2f ms steady, "
                    "%.2f ms after every layer changed, %.2f ms after a 64x64 dab\n",
                    big, big, median(steady), median(fresh), median(onePainted));
    }
    return 0;
}
