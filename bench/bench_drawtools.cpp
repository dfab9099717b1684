// The drawing tools on a 4096 x 4096 document: per mouse move of a
// rubber-band rectangle, ellipse or gradient (and per move of a gradient's
// handles) the redraw of the shape into the layer and of the window over the
// changed area; per mouse move of the clone stamp, the smudge, smooth and
// sharpen tools with a 64-pixel tip the same two parts; the press of the
// smooth and sharpen tools, which filters the whole layer. Medians of wall
// and CPU time (all threads of the process), with the load average, since
// the machine may be shared.
#include "ChildWindow.h"
#include "GradientTool.h"
#include "Convolver.h"
#include "GraphicsScene.h"
#include "HandleGraphicsItem.h"
#include "LineTool.h"
#include "PixmapLayer.h"
#include "ProgramCache.h"
#include "QCLContext.h"
#include "RectangleTool.h"
#include "SharpenTool.h"
#include "SmoothTool.h"
#include "ScratchDB.h"
#include "SmudgeTool.h"
#include "StampTool.h"
#include "ToolContext.h"
#include "BenchSupport.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QGraphicsSceneMouseEvent>
#include <QKeyEvent>
#include <QPainter>
#include <QTemporaryDir>
#include <QUndoStack>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <functional>
#include <vector>

using bench::median;
using bench::BenchContext;
using bench::cpuMs;

namespace {

void printLoad(const char *when)
{
    double load[3] = {0, 0, 0};
    if (getloadavg(load, 3) == 3)
        std::printf("load average %s: %.2f %.2f %.2f\n", when, load[0], load[1], load[2]);
}

// Wall and CPU time of one call, in ms.
struct Clock {
    QElapsedTimer wall;
    double cpu0 = 0;
    Clock() { start(); }
    void start()
    {
        cpu0 = cpuMs();
        wall.start();
    }
    double wallMs() const { return wall.nsecsElapsed() / 1e6; }
    double cpu() const { return cpuMs() - cpu0; }
};

const QRect kFrame(0, 0, 1600, 900); // the part of the canvas a window shows at 100 %

struct Timing {
    std::vector<double> moves, redraws, cpu;
};

void redrawFrame(ChildWindow &window, const QRect &area)
{
    static QImage frame(kFrame.size(), QImage::Format_ARGB32_Premultiplied);
    if (!area.isEmpty()) {
        QPainter painter(&frame);
        window.scene()->render(&painter, QRectF(area), QRectF(area));
    }
}

// Presses at `from`, then for each step moves to `at(i)` and redraws what
// changed: `reach(previous, next)` says which canvas area that is.
Timing run(BaseTool &tool, ChildWindow &window, QPoint from, int steps, const std::function<QPoint(int)> &at,
           const std::function<QRect(QPoint, QPoint)> &reach, Qt::KeyboardModifiers keys = Qt::NoModifier)
{
    Timing t;
    tool.MousePress(Qt::LeftButton, from, keys, &window);
    QPoint previous = from;
    for (int i = 0; i < steps; ++i) {
        const QPoint next = at(i);
        Clock clock;
        tool.MousePosUpdate(next.x(), next.y(), &window);
        t.moves.push_back(clock.wallMs());
        const double cpu = clock.cpu();
        const QRect area = reach(previous, next).intersected(kFrame);
        clock.start();
        redrawFrame(window, area);
        t.redraws.push_back(clock.wallMs());
        t.cpu.push_back(cpu + clock.cpu());
        previous = next;
    }
    tool.MouseRelease(Qt::NoButton, previous, Qt::NoModifier, &window);
    return t;
}

void report(const char *what, const Timing &t)
{
    std::printf("%-58s move median %7.3f ms, redraw median %7.3f ms, together %7.3f ms, CPU %7.3f ms\n", what,
                median(t.moves), median(t.redraws), median(t.moves) + median(t.redraws), median(t.cpu));
}

// A pending gradient's handle dragged along `at(i)`, each step redrawn
// over the window.
Timing dragHandle(GradientTool &gradient, ChildWindow &window, HandleGraphicsItem *pHandle, int steps,
                  const std::function<QPoint(int)> &at)
{
    Timing t;
    QGraphicsSceneMouseEvent press(QEvent::GraphicsSceneMousePress);
    gradient.HandleMouseDown(pHandle, &press);
    QPoint point;
    for (int i = 0; i < steps; ++i) {
        point = at(i);
        QGraphicsSceneMouseEvent event(QEvent::GraphicsSceneMouseMove);
        event.setScenePos(point);
        Clock clock;
        gradient.HandleMoved(pHandle, &event);
        t.moves.push_back(clock.wallMs());
        const double cpu = clock.cpu();
        clock.start();
        redrawFrame(window, kFrame);
        t.redraws.push_back(clock.wallMs());
        t.cpu.push_back(cpu + clock.cpu());
    }
    QGraphicsSceneMouseEvent release(QEvent::GraphicsSceneMouseRelease);
    release.setScenePos(point);
    gradient.HandleMouseUp(pHandle, &release);
    return t;
}

// The press of a smooth or sharpen tool (the whole layer filtered, then
// the first dab) and its release, timed apart.
void reportPresses(const char *what, BaseTool &tool, ChildWindow &window)
{
    std::vector<double> wall, cpu, release;
    for (int i = 0; i < 7; ++i) {
        Clock clock;
        tool.MousePress(Qt::LeftButton, QPoint(500 + i * 50, 400), Qt::NoModifier, &window);
        wall.push_back(clock.wallMs());
        cpu.push_back(clock.cpu());
        clock.start();
        tool.MouseRelease(Qt::NoButton, QPoint(500 + i * 50, 400), Qt::NoModifier, &window);
        release.push_back(clock.wallMs());
    }
    std::printf("%-58s wall median %7.1f ms, CPU %7.1f ms (release %5.1f ms)\n", what, median(wall), median(cpu),
                median(release));
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
    printLoad("at the start");
    const int side = 4096;
    ChildWindow window(nullptr, QSize(side, side), store);
    window.resize(kFrame.size());
    window.show(); // what the window shows decides what a gradient drag redraws
    window.SetZoom(100);
    QCoreApplication::processEvents();
    // A background and two layers over it; the tools draw on the top one.
    for (int i = 0; i < 3; ++i) {
        auto *pLayer = static_cast<PixmapLayer *>(window.CreateLayer(Layer::Raster));
        QImage pixels(side, side, QImage::Format_ARGB32);
        pixels.fill(QColor::fromHsv(i * 100, 160, 220, i == 0 ? 255 : 170));
        pLayer->setImage(pixels);
    }
    {
        QImage frame(kFrame.size(), QImage::Format_ARGB32_Premultiplied);
        QPainter painter(&frame);
        window.scene()->render(&painter, QRectF(kFrame), QRectF(kFrame)); // composed once, as on screen
    }
    BenchContext toolContext(&window, cache);
    const QPoint corner(100, 100);
    // The rectangle grows and shrinks across the visible part of the canvas.
    const auto growing = [&](int i) {
        const int k = i % 100;
        const int s = k < 50 ? k : 100 - k;
        return corner + QPoint(300 + s * 24, 200 + s * 12);
    };
    const auto shapeReach = [&](QPoint a, QPoint b) {
        return (QRect(corner, a).normalized() | QRect(corner, b).normalized()).adjusted(-6, -6, 6, 6);
    };

    RectangleTool rectangle(toolContext, RectangleTool::Plain);
    rectangle.PenWidthChanged(QStringLiteral("3"));
    rectangle.FillOutlineChanged(QStringLiteral("Outline Only"));
    report("rectangle outline, up to 1500x800, 4096x4096 layer:", run(rectangle, window, corner, 300, growing, shapeReach));
    rectangle.FillOutlineChanged(QStringLiteral("Fill With Outline"));
    report("rectangle filled and outlined, up to 1500x800:", run(rectangle, window, corner, 300, growing, shapeReach));
    RectangleTool ellipse(toolContext, RectangleTool::Ellipse);
    ellipse.FillOutlineChanged(QStringLiteral("Fill"));
    report("ellipse filled, up to 1500x800:", run(ellipse, window, corner, 300, growing, shapeReach));
    LineTool line(toolContext);
    report("line, width 3, up to 1500x800:", run(line, window, corner, 300, growing, shapeReach));

    GradientTool gradient(toolContext);
    for (GradientTool::Type type : {GradientTool::Linear, GradientTool::Radial, GradientTool::Conical}) {
        gradient.SetType(type);
        const Timing t = run(gradient, window, QPoint(800, 450), 60,
                             [](int i) { return QPoint(1200 + (i % 20) * 10, 600 + (i % 7) * 10); },
                             [&](QPoint, QPoint) { return kFrame; });
        const char *names[] = {"gradient linear, whole 4096x4096 layer, window 1600x900:",
                               "gradient radial, whole 4096x4096 layer:", "gradient conical, whole 4096x4096 layer:"};
        report(names[type], t);
        // The whole layer, drawn when the drag ends (and when a pending
        // gradient's colours or type change).
        Clock whole;
        gradient.GradientBtnClicked();
        std::printf("%-58s %7.1f ms, CPU %7.1f ms\n", "  the same over the whole layer, once the drag ends:",
                    whole.wallMs(), whole.cpu());
        // The pending gradient's handles: the end turns it, the start moves its centre.
        report("  its end handle dragged:", dragHandle(gradient, window, gradient.handle(1), 40, [](int i) {
                   return QPoint(1300 - (i % 20) * 15, 500 + (i % 9) * 20);
               }));
        report("  its start handle dragged:", dragHandle(gradient, window, gradient.handle(0), 40, [](int i) {
                   return QPoint(700 + (i % 20) * 12, 350 + (i % 9) * 15);
               }));
        QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        gradient.KeyPress(&escape);
    }

    // Dabs along a line across the visible part, 8 pixels a move.
    const auto stroke = [](int i) { return QPoint(300 + (i % 150) * 8, 400 + (i / 150) * 70); };
    const auto tipReach = [](QPoint a, QPoint b) { return QRect(a, b).normalized().adjusted(-36, -36, 36, 36); };
    StampTool stamp(toolContext);
    stamp.Activate();
    stamp.BrushWidthChanged(QStringLiteral("64"));
    stamp.MousePress(Qt::LeftButton, QPoint(200, 200), Qt::AltModifier, &window);
    report("clone stamp, 64 px, 8 px a move:", run(stamp, window, QPoint(300, 400), 300, stroke, tipReach));
    stamp.Deactivate();

    SmudgeTool smudge(toolContext);
    smudge.BrushWidthChanged(QStringLiteral("64"));
    smudge.StrengthChanged(60);
    report("smudge, 64 px, strength 60 %, 8 px a move:", run(smudge, window, QPoint(300, 400), 300, stroke, tipReach));

    // Smooth and sharpen: the filter alone, then the tools' presses and moves.
    auto *pTop = window.document()->CurrentRasterLayer();
    {
        Convolver convolver(cache);
        const ConvolutionMask mask{{0, -2, 0, -2, 11, -2, 0, -2, 0}, 3, 3, 0};
        const QImage layer = pTop->image();
        convolver.Run(layer, mask); // the program built, the pages touched
        std::vector<double> wall, cpu;
        for (int i = 0; i < 7; ++i) {
            Clock clock;
            convolver.Run(layer, mask);
            wall.push_back(clock.wallMs());
            cpu.push_back(clock.cpu());
        }
        std::printf("%-58s wall median %7.1f ms, CPU %7.1f ms\n", "convolve, 3x3 sharpen mask, 4096x4096 layer:",
                    median(wall), median(cpu));
    }
    {
        // What every painting press pays besides its own work: the painting
        // state opened on the layer and the first commit, which copies the
        // layer so that the state keeps what it began from.
        std::vector<double> wall, cpu;
        Document *pDocument = window.document();
        for (int i = 0; i < 7; ++i) {
            Clock clock;
            pDocument->BeginPaint(false, pTop);
            pDocument->CommitResult(pDocument->BaseImage(), QRect(500, 400, 64, 64));
            wall.push_back(clock.wallMs());
            cpu.push_back(clock.cpu());
            pDocument->EndPaint();
        }
        std::printf("%-58s wall median %7.1f ms, CPU %7.1f ms\n", "painting state opened, first commit (the layer copied):",
                    median(wall), median(cpu));
    }
    for (int i = 0; i < 2; ++i) {
        std::unique_ptr<RetouchTool> pTool;
        if (i == 0)
            pTool = std::make_unique<SmoothTool>(toolContext);
        else
            pTool = std::make_unique<SharpenTool>(toolContext);
        pTool->Activate();
        pTool->BrushWidthChanged(QStringLiteral("64"));
        reportPresses(i == 0 ? "smooth press (whole layer filtered, first dab):" : "sharpen press (the same):", *pTool,
                      window);
        report(i == 0 ? "smooth, 64 px, 8 px a move:" : "sharpen, 64 px, 8 px a move:",
               run(*pTool, window, QPoint(300, 400), 300, stroke, tipReach));
        pTool->Deactivate();
    }
    printLoad("at the end");
    return 0;
}
