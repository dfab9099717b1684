// Layer style benchmarks: the drop shadow and outer glow (distance 20) of a
// 4096 x 4096 layer, on the device and on the host, alone and with the
// layer composed over them; and redrawing a view over ten styled layers
// when nothing changed, after a pan and zoom, and after the scene forgot
// its composed picture (the layers' pictures are kept).
//   bench_styles [cpu|gpu]
#include "ChildWindow.h"
#include "GraphicsScene.h"
#include "LayerStyleMgr.h"
#include "PixmapLayer.h"
#include "ProgramCache.h"
#include "QCLContext.h"
#include "ScratchDB.h"
#include "BenchSupport.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPainter>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <cstring>

using bench::median;

namespace {

// A layer that is transparent round a large soft-edged shape, as a cut-out is.
QImage layerImage(int side, quint32 seed)
{
    QImage image(side, side, QImage::Format_ARGB32);
    image.fill(0);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor::fromHsv(int(seed * 37 % 360), 200, 220, 230));
    painter.drawEllipse(QRectF(side * 0.1, side * 0.15, side * 0.7, side * 0.6));
    return image;
}

void style(PixmapLayer *pLayer)
{
    LayerStyleMgr &styles = pLayer->styles();
    styles.dropShadow().setAngle(135);
    styles.dropShadow().setDistance(20);
    styles.dropShadow().setEnabled(true);
    styles.outerGlow().setDistance(20);
    styles.outerGlow().setEnabled(true);
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir tmp;
    ScratchDB store;
    store.Init(tmp.path(), qint64(4) * 1024 * 1024 * 1024);
    QCLContext context;
    if (!bench::createContext(context, argc, argv))
        return 1;
    ProgramCache cache(context);

    const int big = 4096;
    for (bool bDevice : {true, false}) {
        Document document(QSize(big, big), DocumentEnv(store, {}, bDevice ? &cache : nullptr));
        auto *pLayer = static_cast<PixmapLayer *>(document.CreateLayer(Layer::Raster));
        pLayer->setImage(layerImage(big, 1));
        style(pLayer);
        LayerStyleMgr &styles = pLayer->styles();
        if (bDevice && !styles.dropShadow().usesKernels()) {
            std::fprintf(stderr, "%s\n", qPrintable(styles.dropShadow().buildLog()));
            return 1;
        }
        QList<double> render, compose;
        const int runs = bDevice ? 9 : 3;
        for (int i = 0; i < runs; ++i) {
            // New pixels everywhere each time, as after a filter.
            pLayer->image().setPixel(i, 0, 0xff000000u | quint32(i));
            pLayer->update();
            QElapsedTimer timer;
            timer.start();
            styles.Render(pLayer->image());
            render.append(timer.nsecsElapsed() / 1e6);
            styles.SourceChanged();
            timer.restart();
            QPoint offset;
            pLayer->DrawnPixels(&offset);
            compose.append(timer.nsecsElapsed() / 1e6);
        }
        // Each style alone.
        QList<double> alone[2];
        for (int i = 0; i < runs; ++i)
            for (int s = 0; s < 2; ++s) {
                LayerStyle *pStyle = s == 0 ? static_cast<LayerStyle *>(&styles.dropShadow())
                                            : static_cast<LayerStyle *>(&styles.outerGlow());
                pStyle->SourceChanged();
                QElapsedTimer timer;
                timer.start();
                pStyle->Picture(pLayer->image(), nullptr);
                alone[s].append(timer.nsecsElapsed() / 1e6);
            }
        // A brush dab: only what it reaches is computed and composed again.
        QList<double> dab;
        QPoint offset;
        pLayer->DrawnPixels(&offset);
        for (int i = 0; i < 15; ++i) {
            const QRect area(600 + i * 150, 900 + i * 90, 64, 64);
            QPainter(&pLayer->image()).fillRect(area, QColor(0, 0, 0, 60));
            QElapsedTimer timer;
            timer.start();
            pLayer->update(QRectF(area));
            pLayer->DrawnPixels(&offset);
            dab.append(timer.nsecsElapsed() / 1e6);
        }
        std::printf("%s: a 64x64 dab on that styled layer, styles and picture brought up to date: %.2f ms median\n",
                    bDevice ? "kernels" : "host references", median(dab));
        std::printf("%s: drop shadow + outer glow (distance 20) of a %dx%d layer: %.1f ms median (first %.1f; "
                    "shadow alone %.1f, glow alone %.1f); with the layer composed over them: %.1f ms median\n",
                    bDevice ? "kernels" : "host references", big, big, median(render), render.first(),
                    median(alone[0]), median(alone[1]), median(compose));
    }

    for (int side : {1920, 4096}) {
        ChildWindow window(nullptr, QSize(side, side * 9 / 16), DocumentEnv(store, {}, &cache));
        for (int i = 0; i < 10; ++i) {
            auto *pLayer = static_cast<PixmapLayer *>(window.CreateLayer(Layer::Raster));
            QImage image = layerImage(side, quint32(i));
            pLayer->setImage(image.scaled(side, side * 9 / 16));
            style(pLayer);
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
        const double first = redraw();
        QList<double> steady, composedAgain;
        for (int i = 0; i < 15; ++i)
            steady.append(redraw());
        for (int i = 0; i < 5; ++i) {
            // The scene composes the stack again from the layers' kept pictures.
            window.scene()->InvalidateAll();
            composedAgain.append(redraw());
        }
        std::printf("Redraw 1600x900 view, 10 layers of %dx%d each with drop shadow + outer glow: first %.0f ms "
                    "(styles rendered), %.3f ms median when nothing changed, %.1f ms median composing the stack "
                    "again from the kept pictures\n",
                    side, side * 9 / 16, first, median(steady), median(composedAgain));
    }
    return 0;
}
