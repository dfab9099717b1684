// The brush engine per mouse move: dab placement, tip colouring and drawing
// into the stroke buffer (the commit into the layer belongs to the tool).
//   bench_brush [cpu|gpu]   (default: a GPU when there is one, else the CPU)
#include "BrushStroke.h"
#include "CQBrush.h"
#include "DabPlacer.h"
#include "ProgramCache.h"
#include "QCLContext.h"
#include "BenchSupport.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <vector>

using bench::median;

namespace {

using Clock = std::chrono::steady_clock;

double ms(Clock::time_point a, Clock::time_point b)
{
    return std::chrono::duration<double, std::milli>(b - a).count();
}

QImage softTip(int size)
{
    QImage tip(size, size, QImage::Format_ARGB32);
    const double r = size / 2.0;
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            const double d = std::hypot(x + 0.5 - r, y + 0.5 - r) / r;
            tip.setPixel(x, y, qRgba(0, 0, 0, d >= 1 ? 0 : int(255 * (1 - d * d) * (1 - d * d))));
        }
    return tip;
}

// Median time of one mouse move of `step` pixels across the buffer, starting
// again near the top left at the far edge; each move opens its own painter,
// as the document's stroke protocol does per move.
double perMove(BrushStroke &stroke, QImage &buffer, QPoint step, int moves, double *pDabsPerMove)
{
    QPoint p(200, 200);
    {
        QPainter painter(&buffer);
        stroke.Press(painter, p);
    }
    // Counts the dabs of the same path, outside the timing.
    DabPlacer counter;
    counter.Press(*stroke.Brush(), stroke.Size(), stroke.Color(), p);
    std::vector<double> times;
    qsizetype dabs = 0;
    for (int i = 0; i < moves; ++i) {
        QPoint next = p + step;
        if (next.x() > buffer.width() - 200 || next.y() > buffer.height() - 200) {
            // Off the far edge: a new stroke near the start, not timed.
            p = QPoint(200 + (i * 37) % 400, 200 + (i * 53) % 400);
            QPainter painter(&buffer);
            stroke.Press(painter, p);
            counter.Press(*stroke.Brush(), stroke.Size(), stroke.Color(), p);
            next = p + step;
        }
        const auto start = Clock::now();
        QPainter painter(&buffer);
        const QRect changed = stroke.MoveTo(painter, next);
        painter.end();
        times.push_back(ms(start, Clock::now()));
        Q_UNUSED(changed);
        dabs += counter.Move(*stroke.Brush(), stroke.Size(), stroke.Color(), p, next).size();
        p = next;
    }
    if (pDabsPerMove)
        *pDabsPerMove = double(dabs) / moves;
    return median(times);
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QCLContext context;
    if (!bench::createContext(context, argc, argv))
        return 1;
    ProgramCache cache(context);

    CQBrush brush;
    brush.SetImage(softTip(64));
    brush.SetValue(CQBrush::Spacing, 0.25);
    BrushStroke stroke(cache);
    if (!stroke.isValid()) {
        std::fprintf(stderr, "%s\n", qPrintable(stroke.errorText()));
        return 1;
    }
    stroke.SetBrush(&brush);
    stroke.SetSize(64);
    stroke.SetColor(QColor(200, 40, 90, 220));

    for (int side : {1024, 4096}) {
        QImage buffer(side, side, QImage::Format_ARGB32_Premultiplied);
        buffer.fill(Qt::transparent);
        double dabs = 0;
        brush.SetValue(CQBrush::HueJitter, 0);
        const double straight = perMove(stroke, buffer, QPoint(16, 0), 2001, &dabs);
        std::printf("%dx%d buffer, 64 px tip, spacing 0.25, 16 px move (%.2f dabs): %.3f ms median\n", side, side,
                    dabs, straight);
        const double diagonal = perMove(stroke, buffer, QPoint(32, 32), 2001, &dabs);
        std::printf("%dx%d buffer, 64 px tip, spacing 0.25, 32+32 px diagonal move (%.2f dabs): %.3f ms median\n",
                    side, side, dabs, diagonal);
        brush.SetValue(CQBrush::HueJitter, 30);
        const double jitter = perMove(stroke, buffer, QPoint(16, 0), 2001, &dabs);
        std::printf("%dx%d buffer, same 16 px move with hue jitter (%.2f dabs, one colouring each): %.3f ms median\n", side, side,
                    dabs, jitter);
        const double jitterDiagonal = perMove(stroke, buffer, QPoint(32, 32), 2001, &dabs);
        std::printf("%dx%d buffer, diagonal move with hue jitter (%.2f dabs, one colouring each): %.3f ms median\n",
                    side, side, dabs, jitterDiagonal);
    }

    // A 2,000-event stroke on a 4096x4096 buffer: press, then moves of 3 to
    // 20 pixels along a wave, jitter off.
    brush.SetValue(CQBrush::HueJitter, 0);
    QImage buffer(4096, 4096, QImage::Format_ARGB32_Premultiplied);
    std::vector<double> totals;
    for (int run = 0; run < 5; ++run) {
        buffer.fill(Qt::transparent);
        const auto start = Clock::now();
        QPoint p(100, 2000);
        {
            QPainter painter(&buffer);
            stroke.SetColor(QColor(20, 90, 200));
            stroke.Press(painter, p);
        }
        for (int i = 1; i <= 2000; ++i) {
            const QPoint next(100 + i * 1.9, 2000 + int(1500 * std::sin(i / 90.0)));
            QPainter painter(&buffer);
            stroke.MoveTo(painter, next);
            p = next;
        }
        totals.push_back(ms(start, Clock::now()));
    }
    std::printf("2,000-event stroke, 64 px tip, spacing 0.25, 4096x4096 buffer: %.1f ms median of 5 (%.3f ms per event)\n",
                median(totals), median(totals) / 2000);
    return 0;
}
