// The brush tool end to end on a document: per mouse move the dabs, the
// commit into a 4096 x 4096 layer and the redraw of the changed area over a
// stack of ten such layers; and a whole 2,000-event stroke from press to its
// undo entry.
#include "BrushStroke.h"
#include "BrushTool.h"
#include "CQBrush.h"
#include "ChildWindow.h"
#include "GraphicsScene.h"
#include "PixmapLayer.h"
#include "ProgramCache.h"
#include "QCLContext.h"
#include "ScratchDB.h"
#include "ToolContext.h"
#include "BenchSupport.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPainter>
#include <QTemporaryDir>
#include <QUndoStack>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

using bench::median;
using bench::BenchContext;

namespace {

QImage softTip(int size)
{
    QImage tip(size, size, QImage::Format_ARGB32);
    const double r = size / 2.0;
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            const double d = std::hypot(x + 0.5 - r, y + 0.5 - r) / r;
            tip.setPixel(x, y, qRgba(0, 0, 0, d >= 1 ? 0 : int(255 * (1 - d * d))));
        }
    return tip;
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
    if (!context.create(QCLDevice::CPU)) {
        std::fprintf(stderr, "no OpenCL CPU device\n");
        return 1;
    }
    ProgramCache cache(context);
    const int side = 4096;
    ChildWindow window(nullptr, QSize(side, side), store);
    window.resize(1600, 900);
    for (int i = 0; i < 10; ++i) {
        auto *pLayer = static_cast<PixmapLayer *>(window.CreateLayer(Layer::Raster));
        QImage pixels(side, side, QImage::Format_ARGB32);
        pixels.fill(QColor::fromHsv(i * 36, 180, 200, 160));
        pLayer->setImage(pixels);
        pLayer->setBlendingMode(i % 2 ? QPainter::CompositionMode_Multiply : QPainter::CompositionMode_SourceOver);
    }
    BenchContext toolContext(&window, cache);
    BrushTool tool(toolContext);
    CQBrush brush;
    brush.SetImage(softTip(128));
    BrushStroke *pStroke = tool.Stroke();
    if (!pStroke) {
        std::fprintf(stderr, "brushBlend kernel missing\n");
        return 1;
    }
    pStroke->SetBrush(&brush);
    tool.BrushWidthChanged(QStringLiteral("65"));
    pStroke->SetSize(64);

    QImage frame(1600, 900, QImage::Format_ARGB32_Premultiplied);
    auto redraw = [&](const QRect &area) {
        QPainter painter(&frame);
        window.scene()->render(&painter, QRectF(area), QRectF(area));
    };
    redraw(QRect(0, 0, 1600, 900)); // the picture composed once, as on screen

    for (bool bJitter : {false, true}) {
        brush.SetValue(CQBrush::HueJitter, bJitter ? 60 : 0);
        std::vector<double> moves, redraws;
        QPoint p(100, 100);
        tool.MousePress(Qt::LeftButton, p, Qt::NoModifier, &window);
        for (int i = 0; i < 300; ++i) {
            const QPoint next = p + QPoint(16, (i % 20 < 10) ? 4 : -4);
            QElapsedTimer timer;
            timer.start();
            tool.MousePosUpdate(next.x(), next.y(), &window);
            moves.push_back(timer.nsecsElapsed() / 1e6);
            // What the window repaints after the move: the dab area.
            const QRect dirty = QRect(p, next).normalized().adjusted(-40, -40, 40, 40);
            timer.start();
            redraw(dirty.intersected(QRect(0, 0, 1600, 900)));
            redraws.push_back(timer.nsecsElapsed() / 1e6);
            p = next.x() > 1500 ? QPoint(100, next.y() + 60) : next;
        }
        tool.MouseRelease(Qt::NoButton, p, Qt::NoModifier, &window);
        std::printf("brush move, 64 px tip, spacing 0.25, 4096x4096 layer%s: dabs + commit median %.3f ms; "
                    "redraw of the changed area over 10 layers median %.3f ms\n",
                    bJitter ? ", hue jitter (one colouring per dab)" : "", median(moves), median(redraws));
    }

    brush.SetValue(CQBrush::HueJitter, 0);
    QElapsedTimer whole;
    whole.start();
    QPoint p(50, 50);
    tool.MousePress(Qt::LeftButton, p, Qt::NoModifier, &window);
    for (int i = 0; i < 2000; ++i) {
        p += QPoint(2, (i / 100) % 2 ? 1 : -1);
        if (p.x() > 4000)
            p = QPoint(50, p.y() + 40);
        tool.MousePosUpdate(p.x(), p.y(), &window);
    }
    tool.MouseRelease(Qt::NoButton, p, Qt::NoModifier, &window);
    std::printf("2,000-event stroke, press to undo entry: %.1f ms (%d entries)\n", whole.nsecsElapsed() / 1e6,
                window.undoStack()->count());
    return 0;
}
