// Each step a user takes on a big picture, in the editor itself, at each side
// named on the command line (default 1024 and 4096; 16384 is the largest
// the editor opens and needs about 6 GiB): open a PNG and see it at "fit",
// redraw at 25 %, 100 % and 400 % (zoom, then pans at once and after a
// moment's look), one brush move, a Gaussian radius 10 and its undo, save
// and reopen as .cq. Times are wall clock, with the processor time of all
// threads beside the slow steps (on a shared machine the wall clock
// overstates them); memory is the process's peak over the step (VmHWM, reset
// before each step) above what it held when the step began, with the scratch
// store at the editor's own limit. Ends with a table of how each figure grows.
//   bench_bigpicture [SIDE ...] [--dir FOLDER]   (FOLDER keeps the PNGs)
#include "BenchSupport.h"
#include "BrushStroke.h"
#include "BrushTool.h"
#include "CQBrush.h"
#include "ChildWindow.h"
#include "Document.h"
#include "DocumentBuilder.h"
#include "DocumentFile.h"
#include "FileActions.h"
#include "FilterParams.h"
#include "FilterRegistry.h"
#include "GraphicsView.h"
#include "ImageFile.h"
#include "KernelFilter.h"
#include "LayerSnapshotCmd.h"
#include "MainWindow.h"
#include "PixmapLayer.h"
#include "AtomicFile.h"
#include "ScratchDB.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMessageBox>
#include <QTimer>
#include <QScrollArea>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QUndoStack>
#include <cmath>
#include <cstdio>
#include <map>
#include <vector>

using bench::median;

namespace {

qint64 statusKb(const char *key)
{
    QFile file(QStringLiteral("/proc/self/status"));
    if (!file.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : file.readAll().split('\n'))
        if (line.startsWith(key))
            return line.mid(qstrlen(key)).trimmed().split(' ').first().toLongLong();
    return -1;
}

// Memory over one step: the resident size when it began, the peak since.
class StepMemory {
public:
    StepMemory()
    {
        QFile reset(QStringLiteral("/proc/self/clear_refs"));
        if (reset.open(QIODevice::WriteOnly))
            reset.write("5");
        m_startKb = statusKb("VmRSS:");
    }
    double PeakMiB() const { return (statusKb("VmHWM:") - m_startKb) / 1024.0; }
    double NowMiB() const { return (statusKb("VmRSS:") - m_startKb) / 1024.0; }

private:
    qint64 m_startKb;
};

double ms(const QElapsedTimer &timer)
{
    return timer.nsecsElapsed() / 1e6;
}

// Smooth colour with fine grain in the low bits: compresses like a photo
// more or less, and is quick to make at any size.
QImage picture(int side)
{
    QImage image(side, side, QImage::Format_ARGB32);
    quint32 state = 2463534242u;
    for (int y = 0; y < side; ++y) {
        auto *row = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < side; ++x) {
            state ^= state << 13;
            state ^= state >> 17;
            state ^= state << 5;
            const int n = int(state & 7);
            row[x] = qRgba((x * 255 / side + n) & 255, (y * 255 / side + n) & 255, ((x + y) * 127 / side + n) & 255,
                           255);
        }
    }
    return image;
}

// One full frame of the canvas as the window shows it, painted now.
double redraw(ChildWindow *pWindow)
{
    QWidget *pCanvas = pWindow->view()->viewport();
    const QRect shown = pCanvas->visibleRegion().boundingRect();
    QElapsedTimer timer;
    timer.start();
    pCanvas->grab(shown);
    return ms(timer);
}

using Figures = std::map<QString, double>;

Figures run(MainWindow *pMain, int side, const QString &folder)
{
    Figures f;
    const double pixelMB = 4.0 * side * side / 1e6;
    const double imageMiB = 4.0 * side * side / (1024.0 * 1024.0);
    const QString png = QDir(folder).filePath(QStringLiteral("big%1.png").arg(side));
    if (!QFileInfo::exists(png)) {
        QString error;
        const QByteArray bytes = ImageFile::Encode(picture(side), "png", 100, &error);
        if (bytes.isEmpty() || !AtomicFile::Write(png, bytes, &error)) {
            std::fprintf(stderr, "could not make %s: %s\n", qPrintable(png), qPrintable(error));
            return f;
        }
    }
    std::printf("--- %d x %d (%.0f MiB of pixels; PNG %.0f MiB), window %d x %d\n", side, side, imageMiB,
                QFileInfo(png).size() / 1048576.0, pMain->width(), pMain->height());

    // Open, as File > Open does it, with the first frame at "fit".
    ChildWindow *pWindow = nullptr;
    {
        StepMemory memory;
        QElapsedTimer timer;
        timer.start();
        QString error;
        QImage image = ImageFile::Read(png, &error);
        f["decode s"] = ms(timer) / 1e3;
        timer.start();
        const double cpu = bench::cpuMs();
        Document *pDocument =
            DocumentBuilder::Build(DocumentFile::FromPixels(image, QFileInfo(png).fileName()), pMain->documentEnv());
        image = QImage();
        pDocument->undoStack()->clear();
        pDocument->MarkSaved();
        pWindow = new ChildWindow(pMain, pDocument);
        pWindow->SetZoom(MainWindow::ZoomToFit(QSize(side, side), pMain->size()));
        pMain->AddChild(pWindow);
        QCoreApplication::processEvents();
        redraw(pWindow);
        f["open: to fit ms"] = ms(timer);
        const double fitCpu = bench::cpuMs() - cpu;
        f["open: peak MiB"] = memory.PeakMiB();
        std::printf("open: decode %.2f s; decode end to the first frame at fit (%.1f %%) %.0f ms (target <= 1000; "
                    "processor time %.0f ms, all threads); peak %.0f MiB = %.2f copies of the image (target <= 2)\n",
                    f["decode s"], pWindow->ZoomFactor() * 100, f["open: to fit ms"], fitCpu, f["open: peak MiB"],
                    f["open: peak MiB"] / imageMiB);
    }

    // Zoom, then pan a quarter of the window at a time: at once, while the
    // window still composes ahead, and again after a moment's look, as a
    // user takes one (the window composes ahead while it is idle).
    for (double zoom : {25.0, 100.0, 400.0}) {
        StepMemory memory;
        QElapsedTimer zoomTimer;
        zoomTimer.start();
        pWindow->SetZoom(zoom);
        QCoreApplication::processEvents();
        redraw(pWindow);
        const double first = ms(zoomTimer);
        QScrollBar *pH = pWindow->scrollArea()->horizontalScrollBar();
        QScrollBar *pV = pWindow->scrollArea()->verticalScrollBar();
        const int step = pWindow->scrollArea()->viewport()->width() / 4;
        // Median wall and processor time (all threads) of 12 pans.
        auto pan = [&](double *pCpu) {
            std::vector<double> pans;
            const double cpu = bench::cpuMs();
            for (int i = 0; i < 12; ++i) {
                QScrollBar *pBar = i % 3 == 2 ? pV : pH;
                pBar->setValue(pBar->value() + (i < 6 ? step : -step));
                QElapsedTimer timer;
                timer.start();
                QCoreApplication::processEvents();
                redraw(pWindow);
                pans.push_back(ms(timer));
            }
            *pCpu = (bench::cpuMs() - cpu) / pans.size();
            return median(pans);
        };
        double firstCpu = 0, laterCpu = 0;
        const double firstPans = pan(&firstCpu);
        QElapsedTimer look;
        look.start();
        while (look.elapsed() < 2000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        const double laterPans = pan(&laterCpu);
        const QString key = QStringLiteral("redraw %1%").arg(zoom);
        f[key + QStringLiteral(" zoom ms")] = first;
        f[key + QStringLiteral(" first pans ms")] = firstPans;
        f[key + QStringLiteral(" pan ms")] = laterPans;
        std::printf("redraw at %.0f %%: zooming to the first frame %.1f ms; pan median %.1f ms at once (processor "
                    "time %.1f ms a pan), %.1f ms after a look (%.1f) (target <= 33); peak %.0f MiB\n",
                    zoom, first, firstPans, firstCpu, laterPans, laterCpu, memory.PeakMiB());
    }

    // One brush move at 100 %, as the brush tool paints it.
    {
        pWindow->SetZoom(100);
        QCoreApplication::processEvents();
        bench::BenchContext context(pWindow, pMain->programCache());
        BrushTool tool(context);
        CQBrush brush;
        QImage tip(64, 64, QImage::Format_ARGB32);
        tip.fill(Qt::black);
        brush.SetImage(tip);
        BrushStroke *pStroke = tool.Stroke();
        if (pStroke) {
            pStroke->SetBrush(&brush);
            pStroke->SetSize(32);
            StepMemory memory;
            std::vector<double> moves;
            QPoint p(100, 100);
            QElapsedTimer whole;
            whole.start();
            tool.MousePress(Qt::LeftButton, p, Qt::NoModifier, pWindow);
            const double press = ms(whole);
            const int step = qBound(1, (side - 200) / 200, 6);
            for (int i = 0; i < 200; ++i) {
                p += QPoint(step, i % 20 < 10 ? 2 : -2);
                QElapsedTimer timer;
                timer.start();
                tool.MousePosUpdate(p.x(), p.y(), pWindow);
                moves.push_back(ms(timer));
            }
            QElapsedTimer release;
            release.start();
            tool.MouseRelease(Qt::NoButton, p, Qt::NoModifier, pWindow);
            f["brush move ms"] = median(moves);
            const QRgb under = pWindow->document()->CurrentRasterLayer()->image().pixel(p);
            f["brush press ms"] = press;
            std::printf("brush: press %.0f ms, one move median %.3f ms (target <= 1), release to its undo step "
                        "%.1f ms; peak %.0f MiB; the last dab %s\n",
                        press, median(moves), ms(release), memory.PeakMiB(),
                        qGray(under) < 16 ? "is on the layer" : "is missing");
        }
    }

    // Gaussian radius 10 on the whole layer, landed as the filter menu lands
    // it, then undone. The store spills the snapshots past its limit.
    {
        FilterRegistry registry(pMain->programCache(), nullptr);
        registry.Populate({});
        FilterPlugin *pPlugin = registry.Find(QStringLiteral("Blurs/Gaussian"));
        auto *pFilter = qobject_cast<KernelFilter *>(pPlugin ? pPlugin->GetObject() : nullptr);
        FilterValues values;
        QString error;
        if (pFilter && registry.Load(pFilter).isEmpty()
            && FilterValues::parse(pFilter->Params(), {QStringLiteral("radius=10")}, &values, &error)) {
            Document *pDocument = pWindow->document();
            PixmapLayer *pLayer = pDocument->CurrentRasterLayer();
            ScratchDB *pStore = &pMain->documentEnv().store;
            pStore->Sync();
            StepMemory memory;
            QElapsedTimer timer;
            timer.start();
            double cpu = bench::cpuMs();
            pDocument->BeginOwnPixels(pLayer);
            const QImage result = pFilter->Run(pDocument->BaseImage(), values);
            const double run = ms(timer);
            pDocument->CommitResult(result);
            pDocument->EndPaint();
            pDocument->undoStack()->push(new LayerSnapshotCmd(QStringLiteral("Gaussian"), pLayer));
            QCoreApplication::processEvents();
            f["gaussian ms"] = ms(timer);
            const double filterCpu = bench::cpuMs() - cpu;
            const double peak = memory.PeakMiB();
            timer.start();
            pStore->Sync();
            const double spill = ms(timer);
            const double settled = pStore->memoryInUse() / 1048576.0;
            timer.start();
            cpu = bench::cpuMs();
            pDocument->undoStack()->undo();
            pStore->WaitForPending(pLayer);
            QCoreApplication::processEvents();
            f["undo ms"] = ms(timer);
            const double undoCpu = bench::cpuMs() - cpu;
            f["gaussian+undo peak MiB"] = memory.PeakMiB();
            // After the undo the store also counts the snapshot it read back,
            // which the layer shows (the same pixels, not a copy).
            std::printf("Gaussian r10: kernel call %.0f ms, landed with its undo step %.0f ms (processor time %.0f "
                        "ms); store settles in %.0f ms holding %.0f MiB (limit %.0f); undo %.0f ms (%.0f), the "
                        "store then counting %.0f MiB; peak %.0f MiB after the filter, %.0f MiB with undo (%.2f "
                        "copies)\n",
                        run, f["gaussian ms"], filterCpu, spill, settled, pStore->memoryLimit() / 1048576.0,
                        f["undo ms"], undoCpu, pStore->memoryInUse() / 1048576.0, peak, f["gaussian+undo peak MiB"],
                        f["gaussian+undo peak MiB"] / imageMiB);
        } else {
            std::fprintf(stderr, "no Gaussian filter: %s\n", qPrintable(error));
        }
    }

    // Save and reopen as .cq.
    {
        const QString cq = QDir(folder).filePath(QStringLiteral("big%1.cq").arg(side));
        QString error;
        StepMemory memory;
        QElapsedTimer timer;
        timer.start();
        double cpu = bench::cpuMs();
        if (!DocumentBuilder::Save(cq, *pWindow->document(), &error))
            std::fprintf(stderr, "save failed: %s\n", qPrintable(error));
        const double save = ms(timer) / 1e3;
        const double saveCpu = (bench::cpuMs() - cpu) / 1e3;
        const double savePeak = memory.PeakMiB();
        StepMemory loadMemory;
        timer.start();
        cpu = bench::cpuMs();
        Document *pLoaded = DocumentBuilder::Load(cq, pMain->documentEnv(), &error);
        const double load = ms(timer) / 1e3;
        const double loadCpu = (bench::cpuMs() - cpu) / 1e3;
        if (!pLoaded)
            std::fprintf(stderr, "load failed: %s\n", qPrintable(error));
        f["save MB/s"] = pixelMB / save;
        f["reopen MB/s"] = pixelMB / load;
        std::printf(".cq: save %.2f s = %.0f MB/s of pixels (processor time %.2f s), reopen %.2f s = %.0f MB/s "
                    "(%.2f s) (target >= 300); file %.0f MiB; peak %.0f MiB saving, %.0f MiB reopening\n",
                    save, f["save MB/s"], saveCpu, load, f["reopen MB/s"], loadCpu, QFileInfo(cq).size() / 1048576.0,
                    savePeak, loadMemory.PeakMiB());
        delete pLoaded;
        QFile::remove(cq);
    }

    pWindow->document()->MarkSaved();
    pWindow->close();
    delete pWindow;
    QCoreApplication::processEvents();
    return f;
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    QApplication app(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("ChromaquillBench"));
    QStringList args = app.arguments().mid(1);
    QString folder;
    QTemporaryDir tmp;
    const qsizetype dirAt = args.indexOf(QStringLiteral("--dir"));
    if (dirAt >= 0 && dirAt + 1 < args.size()) {
        folder = args.at(dirAt + 1);
        args.remove(dirAt, 2);
    } else {
        folder = tmp.path();
    }
    std::vector<int> sides;
    for (const QString &arg : args)
        sides.push_back(arg.toInt());
    if (sides.empty())
        sides = {1024, 4096};

    QTemporaryDir scratch;
    ScratchDB store;
    ImageFile::ServeScratchStore(store);
    store.Init(scratch.path(), ScratchDB::DefaultMemoryLimit);
    auto *pMain = new MainWindow(store);
    pMain->show();
    pMain->showNormal();
    pMain->resize(1600, 1000);
    pMain->LateInit();
    QCoreApplication::processEvents();

    // Nobody answers a message box here: each is shown on the output and closed.
    QTimer boxes;
    QObject::connect(&boxes, &QTimer::timeout, [] {
        if (auto *pBox = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
            std::printf("message box: %s\n", qPrintable(pBox->text().simplified()));
            pBox->reject();
        }
    });
    boxes.start(200);

    std::vector<std::pair<int, Figures>> all;
    for (int side : sides)
        all.emplace_back(side, run(pMain, side, folder));

    std::printf("\n%-28s", "figure");
    for (const auto &entry : all)
        std::printf("%12d", entry.first);
    std::printf("\n");
    for (const auto &row : all.front().second) {
        std::printf("%-28s", qPrintable(row.first));
        for (const auto &entry : all) {
            const auto it = entry.second.find(row.first);
            std::printf("%12.1f", it == entry.second.end() ? -1.0 : it->second);
        }
        std::printf("\n");
    }
    std::printf("(pixels grow 16x from one side to the next four times as long)\n");
    delete pMain;
    return 0;
}
