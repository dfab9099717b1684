// The drawing tools on a 4096 x 4096 document: per mouse move of a
// rubber-band rectangle, ellipse or gradient the redraw of the shape into
// the layer and of the window over the changed area; per mouse move of the
// clone stamp and the smudge tool with a 64-pixel tip the same two parts.
#include "ChildWindow.h"
#include "GradientTool.h"
#include "GraphicsScene.h"
#include "LineTool.h"
#include "PixmapLayer.h"
#include "ProgramCache.h"
#include "QCLContext.h"
#include "RectangleTool.h"
#include "ScratchDB.h"
#include "SmudgeTool.h"
#include "StampTool.h"
#include "ToolContext.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QPainter>
#include <QTemporaryDir>
#include <QUndoStack>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// The tools' surroundings without panels: the window and the programs.
class BenchContext : public ToolContext {
public:
    BenchContext(ChildWindow *pWindow, ProgramCache &cache) : m_pWindow(pWindow), m_cache(cache) {}
    ChildWindow *CurrentWindow() const override { return m_pWindow; }
    QToolBar *OptionBar() const override { return nullptr; }
    void SetActiveTool(BaseTool *pTool) override { m_pTool = pTool; }
    BaseTool *ActiveTool() const override { return m_pTool; }
    ProgramCache &Programs() override { return m_cache; }
    ToolSwatches *Swatches() override { return nullptr; }
    BrushSource *Brushes() override { return nullptr; }

private:
    ChildWindow *m_pWindow;
    ProgramCache &m_cache;
    BaseTool *m_pTool = nullptr;
};

const QRect kFrame(0, 0, 1600, 900); // the part of the canvas a window shows at 100 %

struct Timing {
    std::vector<double> moves, redraws;
};

// Presses at `from`, then for each step moves to `at(i)` and redraws what
// changed: `reach(previous, next)` says which canvas area that is.
Timing run(BaseTool &tool, ChildWindow &window, QPoint from, int steps, const std::function<QPoint(int)> &at,
           const std::function<QRect(QPoint, QPoint)> &reach, Qt::KeyboardModifiers keys = Qt::NoModifier)
{
    static QImage frame(kFrame.size(), QImage::Format_ARGB32_Premultiplied);
    Timing t;
    tool.MousePress(Qt::LeftButton, from, keys, &window);
    QPoint previous = from;
    for (int i = 0; i < steps; ++i) {
        const QPoint next = at(i);
        QElapsedTimer timer;
        timer.start();
        tool.MousePosUpdate(next.x(), next.y(), &window);
        t.moves.push_back(timer.nsecsElapsed() / 1e6);
        const QRect area = reach(previous, next).intersected(kFrame);
        timer.start();
        if (!area.isEmpty()) {
            QPainter painter(&frame);
            window.scene()->render(&painter, QRectF(area), QRectF(area));
        }
        t.redraws.push_back(timer.nsecsElapsed() / 1e6);
        previous = next;
    }
    tool.MouseRelease(Qt::NoButton, previous, Qt::NoModifier, &window);
    return t;
}

void report(const char *what, const Timing &t)
{
    std::printf("%-58s move median %7.3f ms, redraw median %7.3f ms, together %7.3f ms\n", what, median(t.moves),
                median(t.redraws), median(t.moves) + median(t.redraws));
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir tmp;
    ScratchDB::instance()->Init(tmp.path(), qint64(4) * 1024 * 1024 * 1024);
    QCLContext context;
    if (!context.create(QCLDevice::CPU)) {
        std::fprintf(stderr, "no OpenCL CPU device\n");
        return 1;
    }
    ProgramCache cache(context);
    const int side = 4096;
    ChildWindow window(nullptr, QSize(side, side));
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
        QElapsedTimer whole;
        whole.start();
        gradient.GradientBtnClicked();
        std::printf("%-58s %7.1f ms\n", "  the same over the whole layer, once the drag ends:", whole.nsecsElapsed() / 1e6);
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
    return 0;
}
