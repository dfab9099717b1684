// Filters on a 4096 x 4096 image on the CPU device: the program's kernels,
// the same filters as plainly written kernels, and OpenCV on the same pixels
// where it has the filter; the first use of each program after start with a
// cold and a warm driver cache; histograms, auto level, stylise filters and
// glows; and how long the interface thread stalls
// while a Gaussian preview is dragged. Prints medians in milliseconds.
// `--quick` measures only the program's kernels; `--only=WORD,...` only the
// per-pixel filters whose names contain one of the words.
#include "BenchSupport.h"
#include "DialogFilter.h"
#include "FilterLanding.h"
#include "FilterRegistry.h"
#include "GaussianBlur.h"
#include "HistogramCounter.h"
#include "KernelFilter.h"
#include "MotionBlur.h"
#include "ProgramCache.h"
#include "QCLContext.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QSlider>
#include <QTemporaryDir>
#include <QTimer>

#ifdef CQ_HAVE_OPENCV
#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>
#endif

#include <algorithm>
#include <chrono>
#include <ctime>
#include <sys/resource.h>
#include <cstdio>
#include <vector>

namespace {

constexpr int kSide = 4096;

// Processor time of the whole process (every thread), in milliseconds. On a
// machine shared with other work, wall time stretches with the load while
// this stays close to the work done; divided by the cores in use it
// estimates the wall time on an idle machine.
double processCpuMs()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

// Time every thread of this process spent ready to run but waiting for a
// core, in milliseconds (the second figure of each thread's schedstat).
double runDelayMs()
{
    double total = 0;
    const QDir tasks(QStringLiteral("/proc/self/task"));
    for (const QString &task : tasks.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile file(tasks.filePath(task + QStringLiteral("/schedstat")));
        if (file.open(QIODevice::ReadOnly))
            total += file.readAll().split(' ').value(1).toDouble() / 1e6;
    }
    return total;
}

double g_lastCpu = 0; // median processor time of the last medianMs

template <typename F>
double medianMs(int runs, F &&body)
{
    std::vector<double> times, cpu;
    for (int i = 0; i < runs; ++i) {
        const double c0 = processCpuMs();
        const auto start = std::chrono::steady_clock::now();
        body();
        times.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
        cpu.push_back(processCpuMs() - c0);
    }
    std::sort(times.begin(), times.end());
    std::sort(cpu.begin(), cpu.end());
    g_lastCpu = cpu[cpu.size() / 2];
    return times[times.size() / 2];
}

QImage pattern(int w, int h)
{
    QImage image(w, h, QImage::Format_ARGB32);
    QRandomGenerator rng(42);
    // Smooth-ish content with noise, like a photograph more than like static.
    for (int y = 0; y < h; ++y) {
        auto *line = reinterpret_cast<quint32 *>(image.scanLine(y));
        for (int x = 0; x < w; ++x)
            line[x] = qRgba((x / 7 + y / 5) & 255, (x * y / 97) & 255, (rng.generate() & 63) + 96, 255);
    }
    return image;
}

KernelFilter *filter(FilterRegistry &registry, const char *name)
{
    return qobject_cast<KernelFilter *>(registry.Find(QLatin1String(name))->GetObject());
}

FilterValues values(KernelFilter *pFilter, const QStringList &arguments)
{
    FilterValues v;
    QString error;
    if (!FilterValues::parse(pFilter->Params(), arguments, &v, &error))
        std::fprintf(stderr, "%s\n", qPrintable(error));
    return v;
}

// The plain kernels, run as the plain convention does: buffers made once,
// each run a launch and a blocking read.
class Straightforward
{
public:
    Straightforward(QCLContext &context, const QImage &image) : m_context(context), m_image(image)
    {
        m_program = context.createProgramFromSourceFile(QStringLiteral(CQ_BENCH_KERNELS "/straightforward.cl"));
        if (m_program.isNull() || !m_program.build())
            return;
        m_input = context.createBufferCopy(image.constBits(), size_t(image.sizeInBytes()), QCLMemoryObject::ReadOnly);
        m_middle = context.createBufferDevice(size_t(image.sizeInBytes()), QCLMemoryObject::ReadWrite);
        m_output = context.createBufferDevice(size_t(image.sizeInBytes()), QCLMemoryObject::ReadWrite);
        m_result = QImage(image.size(), QImage::Format_ARGB32);
    }
    bool ok() const { return !m_output.isNull(); }

    void gaussian(int radius)
    {
        const QList<float> w = GaussianBlur::Weights(radius);
        QCLBuffer mask = m_context.createBufferCopy(w.constData(), size_t(w.size()) * 4, QCLMemoryObject::ReadOnly);
        QCLKernel h = m_program.createKernel(QStringLiteral("convolve1DHorizontal"));
        QCLKernel v = m_program.createKernel(QStringLiteral("convolve1DVertical"));
        h.setGlobalWorkSize(QCLWorkSize(size_t(m_image.width()) * m_image.height()));
        v.setGlobalWorkSize(h.globalWorkSize());
        h(m_input, m_middle, mask, m_image.width(), radius);
        v(m_middle, m_output, mask, m_image.width(), m_image.height(), radius);
        read();
    }
    void box(int size)
    {
        const QList<int> ones(size * size, 1);
        QCLBuffer mask = m_context.createBufferCopy(ones.constData(), size_t(ones.size()) * 4, QCLMemoryObject::ReadOnly);
        QCLKernel k = m_program.createKernel(QStringLiteral("convolve"));
        k.setGlobalWorkSize(QCLWorkSize(size_t(m_image.width()) * m_image.height()));
        k(m_input, m_output, mask, m_image.width(), m_image.height(), size, size * size, 0);
        read();
    }
    void motion(int angle, int distance)
    {
        QList<int> pairs;
        for (const QPoint &p : MotionBlur::Offsets(angle, distance))
            pairs << p.x() << p.y();
        QCLBuffer offsets = m_context.createBufferCopy(pairs.constData(), size_t(pairs.size()) * 4, QCLMemoryObject::ReadOnly);
        QCLKernel k = m_program.createKernel(QStringLiteral("blurOffsets"));
        k.setGlobalWorkSize(QCLWorkSize(size_t(m_image.width()) * m_image.height()));
        k(offsets, m_input, m_output, int(pairs.size() / 2), m_image.width(), m_image.height());
        read();
    }
    // The whole plain call: copy in, launch, read into a new image.
    QImage invertCall(const QImage &image)
    {
        QImage result(image.size(), QImage::Format_ARGB32);
        QCLBuffer in = m_context.createBufferCopy(image.constBits(), size_t(image.sizeInBytes()), QCLMemoryObject::ReadOnly);
        QCLBuffer out = m_context.createBufferDevice(size_t(image.sizeInBytes()), QCLMemoryObject::WriteOnly);
        QCLKernel k = m_program.createKernel(QStringLiteral("invert"));
        k.setGlobalWorkSize(QCLWorkSize(size_t(image.width()) * image.height()));
        k(in, out);
        out.read(result.bits(), size_t(result.sizeInBytes()));
        return result;
    }

private:
    void read() { m_output.read(m_result.bits(), size_t(m_result.sizeInBytes())); }

    QCLContext &m_context;
    QImage m_image;
    QCLProgram m_program;
    QCLBuffer m_input, m_middle, m_output;
    QImage m_result;
};

// Child process: the first use of each program (build, first launch).
int firstUse()
{
    QCLContext context;
    if (!context.create(QCLDevice::CPU))
        return 1;
    ProgramCache cache(context);
    FilterRegistry registry(cache, nullptr);
    registry.Populate({});
    const QImage small = pattern(64, 64);
    const struct {
        const char *name;
        const char *program;
        QStringList args;
    } uses[] = {{"Blurs/Gaussian", "convolutionFilters.cl", {"radius=5"}},
                {"Blurs/Box", "convolutionFilters.cl (built)", {"size=5"}},
                {"Blurs/Motion Blur", "imageBlend.cl", {"angle=10", "distance=5"}},
                {"Invert Colors", "brightnessContrast.cl", {}},
                {"Image Adjust/Color Substitute", "colorAdjust.cl", {"hue=10", "saturation=0", "lightness=0"}}};
    for (const auto &use : uses) {
        QElapsedTimer timer;
        timer.start();
        KernelFilter *pFilter = filter(registry, use.name);
        if (!registry.Load(pFilter).isEmpty())
            return 1;
        pFilter->Run(small, values(pFilter, use.args));
        std::printf("  %-30s %-30s %8.1f ms\n", use.name, use.program, timer.nsecsElapsed() / 1e6);
    }
    return 0;
}

void reportFirstUse(const QString &self)
{
    QTemporaryDir cacheDir;
    for (const char *label : {"cold driver cache", "warm driver cache"}) {
        std::printf("first use after start, %s (POCL_CACHE_DIR empty %s):\n", label,
                    label[0] == 'c' ? "before" : "no longer");
        QProcess child;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("POCL_CACHE_DIR"), cacheDir.path());
        child.setProcessEnvironment(env);
        child.start(self, {QStringLiteral("--first-use")});
        child.waitForFinished(-1);
        std::fputs(child.readAllStandardOutput().constData(), stdout);
    }
}

// Drags a Gaussian radius 50 preview over 20 values, one every 40 ms, then
// presses OK; a 1 ms heartbeat measures the longest gap the interface
// thread left between events.
void reportStall(FilterRegistry &registry, const QImage &image)
{
    auto *pGaussian = qobject_cast<DialogFilter *>(filter(registry, "Blurs/Gaussian"));
    QImage layer = image;
    int previews = 0;
    QObject::connect(pGaussian, &DialogFilter::Updated, [&](QImage &preview) {
        layer = FilterLanding::Land(image, preview, QRegion());
        ++previews;
    });
    pGaussian->ApplyFilter(image);
    auto *pSlider = pGaussian->Dialog()->findChild<QSlider *>(QStringLiteral("sizeSlider"));

    bench::StallWatch watch;
    QEventLoop loop;
    int step = 0;
    QTimer drag;
    QObject::connect(&drag, &QTimer::timeout, [&] {
        if (step < 20) {
            pSlider->setValue(50 - 10 + step++);
            return;
        }
        drag.stop();
        QTimer::singleShot(0, [&] {
            pGaussian->Dialog()->accept();
            loop.quit();
        });
    });
    drag.start(40);
    const double begin = watch.ElapsedMs();
    loop.exec();
    const double total = watch.ElapsedMs() - begin;
    watch.Stop();
    std::printf("Gaussian radius 40..59 dragged over 20 values, 40 ms apart, then OK:\n"
                "  longest stall of the interface thread %.1f ms (target <= 50); %d previews shown; %.0f ms in all\n",
                watch.LongestMs(), previews, total);
}

} // namespace

int main(int argc, char **argv)
{
    if (argc > 1 && qstrcmp(argv[1], "--first-use") == 0)
        return firstUse();
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QCLContext context;
    if (!context.create(QCLDevice::CPU)) {
        std::fprintf(stderr, "no OpenCL CPU device\n");
        return 1;
    }
    std::printf("device: %s, %d compute units; image %d x %d RGBA\n", qPrintable(context.defaultDevice().name()),
                context.defaultDevice().computeUnits(), kSide, kSide);
    ProgramCache cache(context);
    FilterRegistry registry(cache, nullptr);
    registry.Populate({});
    registry.LoadAll();
    const bool quick = app.arguments().contains(QStringLiteral("--quick"));
    QStringList only;
    for (const QString &argument : app.arguments())
        if (argument.startsWith(QLatin1String("--only=")))
            only += argument.mid(7).split(QLatin1Char(','), Qt::SkipEmptyParts);
    const QImage image = pattern(kSide, kSide);
    Straightforward plain(context, image);
    if (!plain.ok())
        return 1;
#ifdef CQ_HAVE_OPENCV
    cv::Mat src(kSide, kSide, CV_8UC4, const_cast<uchar *>(image.constBits())), dst;
    std::printf("OpenCV %s with %d threads\n", CV_VERSION, cv::getNumThreads());
#endif

    // A preview as an open dialog computes it: buffers kept, kernels and the
    // result in host memory. Each figure is "wall (processor)" in ms.
    auto cell = [](double wall) { return QStringLiteral("%1 (%2)").arg(wall, 0, 'f', 1).arg(g_lastCpu, 0, 'f', 1); };
    auto preview = [&](const char *name, const QStringList &args, int runs) {
        KernelFilter *pFilter = filter(registry, name);
        const FilterValues v = values(pFilter, args);
        FilterBuffers buffers(context, image);
        FilterBuffers::Output out = buffers.takeOutput();
        pFilter->Compute(buffers, v, out); // first launch at this size
        return cell(medianMs(runs, [&] { pFilter->Compute(buffers, v, out); }));
    };
    auto wholeCall = [&](const char *name, const QStringList &args, int runs) {
        KernelFilter *pFilter = filter(registry, name);
        const FilterValues v = values(pFilter, args);
        pFilter->Run(image, v);
        return cell(medianMs(runs, [&] { pFilter->Run(image, v); }));
    };
    auto row = [](const QString &job, const QString &p, const QString &c, const QString &s, const QString &cv) {
        std::printf("%-30s %18s %18s %20s %18s\n", qPrintable(job), qPrintable(p), qPrintable(c), qPrintable(s),
                    qPrintable(cv));
    };
    const QString none = QStringLiteral("-");

    std::printf("\nwall (processor time of all threads) in ms, medians\n");
    row(QStringLiteral("job (target)"), QStringLiteral("preview"), QStringLiteral("call"),
        QStringLiteral("plain kernel"), QStringLiteral("OpenCV"));
    // The per-pixel filters; with --only, those whose names contain one of its words.
    auto perPixelTable = [&] {
        const struct {
            const char *name;
            QStringList args;
        } perPixel[] = {
            {"Invert Colors", {}},
            {"Image Adjust/Grayscale", {}},
            {"Image Adjust/Sepia", {}},
            {"Image Adjust/Brightness | Contrast", {"brightness=20", "contrast=40"}},
            {"Image Adjust/Levels", {"red=10", "green=-10", "blue=5", "monochrome=0"}},
            {"Image Adjust/Channel Mixer",
             {"red=80,10,10", "green=0,100,0", "blue=10,10,80", "gray=30,59,11", "monochrome=0", "luminosity=1"}},
            {"Image Adjust/Color Substitute", {"hue=90", "saturation=20", "lightness=-10"}},
            {"Image Adjust/Color Substitute", {"hue=90", "saturation=20", "lightness=-10", "range=30,90"}},
            {"Solarize", {"red=128", "green=100", "blue=200"}},
            {"Posterize", {"red=5", "green=5", "blue=5"}},
        };
        std::printf("\nper-pixel filters (target: call <= 12, Color Substitute <= 20)\n");
        for (const auto &f : perPixel) {
            if (!only.isEmpty() && std::none_of(only.begin(), only.end(), [&](const QString &w) {
                    return QString::fromLatin1(f.name).contains(w, Qt::CaseInsensitive);
                }))
                continue;
            const QString c = wholeCall(f.name, f.args, 9), p = preview(f.name, f.args, 9);
            row(QString::fromLatin1(f.name).section(QLatin1Char('/'), -1) + (f.args.filter(QStringLiteral("range=")).isEmpty() ? QString() : QStringLiteral(" range")),
                p, c, none, none);
        }
    };
    if (!only.isEmpty()) {
        perPixelTable();
        return 0;
    }
    for (int radius : {10, 50}) {
        const QStringList args{QStringLiteral("radius=%1").arg(radius)};
        const QString p = preview("Blurs/Gaussian", args, 7), c = wholeCall("Blurs/Gaussian", args, 5);
        const QString s = quick ? none : cell(medianMs(radius > 10 ? 1 : 3, [&] { plain.gaussian(radius); }));
        QString cv = none;
#ifdef CQ_HAVE_OPENCV
        cv = cell(medianMs(5, [&] {
            cv::GaussianBlur(src, dst, cv::Size(2 * radius + 1, 2 * radius + 1), radius / 3, radius / 3,
                             cv::BORDER_REFLECT_101);
        }));
#endif
        row(QStringLiteral("Gaussian r%1 (%2)").arg(radius).arg(radius == 10 ? 90 : 620), p, c, s, cv);
    }
    for (int size : {2, 3, 25, 101, 175}) {
        const QStringList args{QStringLiteral("size=%1").arg(size)};
        const QString p = preview("Blurs/Box", args, 7), c = wholeCall("Blurs/Box", args, 5);
        // The plain full window grows with size squared: 101 takes minutes.
        const QString s = size <= 25 && !quick ? cell(medianMs(1, [&] { plain.box(size); })) : none;
        QString cv = none;
#ifdef CQ_HAVE_OPENCV
        cv = cell(medianMs(5, [&] { cv::blur(src, dst, cv::Size(size, size), cv::Point(-1, -1), cv::BORDER_REFLECT_101); }));
#endif
        row(QStringLiteral("Box %1 (80)").arg(size), p, c, s, cv);
    }
    {
        const QStringList args{QStringLiteral("angle=30"), QStringLiteral("distance=50")};
        const QString p = preview("Blurs/Motion Blur", args, 5), c = wholeCall("Blurs/Motion Blur", args, 3);
        const QString s = quick ? none : cell(medianMs(1, [&] { plain.motion(30, 50); }));
        row(QStringLiteral("Motion blur d50 (400)"), p, c, s, none);
    }
    perPixelTable();

    // Why a per-pixel call sometimes takes several times its median: for
    // the calls over twice the median, the processor time, page faults and
    // time the process's threads spent ready but waiting for a core (run
    // delay, from the scheduler's statistics), against the other calls'.
    std::printf("\nslow per-pixel calls (over twice the median of 60 calls), averages\n");
    for (const char *name : {"Invert Colors", "Image Adjust/Grayscale"}) {
        KernelFilter *pFilter = filter(registry, name);
        const FilterValues v = values(pFilter, {});
        struct Call {
            double wall, cpu, waiting;
            long faults;
        };
        std::vector<Call> calls;
        for (int i = 0; i < 60; ++i) {
            rusage r0{}, r1{};
            getrusage(RUSAGE_SELF, &r0);
            const double c0 = processCpuMs(), w0 = runDelayMs();
            const auto start = std::chrono::steady_clock::now();
            pFilter->Run(image, v);
            const double wall = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
            const double cpu = processCpuMs() - c0, waiting = runDelayMs() - w0;
            getrusage(RUSAGE_SELF, &r1);
            calls.push_back({wall, cpu, waiting, r1.ru_minflt - r0.ru_minflt});
        }
        std::vector<double> walls;
        for (const Call &c : calls)
            walls.push_back(c.wall);
        std::sort(walls.begin(), walls.end());
        const double median = walls[walls.size() / 2];
        Call sums[2] = {{0, 0, 0, 0}, {0, 0, 0, 0}}; // usual, slow
        int counts[2] = {0, 0};
        for (const Call &c : calls) {
            const int k = c.wall > 2 * median;
            ++counts[k];
            sums[k] = {sums[k].wall + c.wall, sums[k].cpu + c.cpu, sums[k].waiting + c.waiting, sums[k].faults + c.faults};
        }
        std::printf("  %-22s", name);
        for (int k : {0, 1}) {
            const double n = std::max(1, counts[k]);
            std::printf("  %s %2d: %5.1f ms, %4.1f ms CPU, %5.1f ms waiting for a core, %4.1f faults", k ? "slow" : "usual",
                        counts[k], sums[k].wall / n, sums[k].cpu / n, sums[k].waiting / n, double(sums[k].faults) / n);
        }
        std::printf("\n");
    }

    std::printf("\nhistogram, auto level, stylise and glows (target in brackets)\n");
    {
        HistogramCounter counter(context);
        counter.Initialize(&cache);
        HistogramData data;
        counter.Count(image, &data);
        row(QStringLiteral("Histogram, six channels (40)"), none,
            cell(medianMs(9, [&] { counter.Count(image, &data); })), none, none);
        // What auto level counts before it runs its kernel: one channel.
        QCLProgram program = cache.program(QStringLiteral(":/Filters/histogram.cl"));
        QCLKernel shared = program.createKernel(QStringLiteral("CreateHistogram"));
        QCLKernel runs = program.createKernel(QStringLiteral("CreateHistogramRuns"));
        QCLBuffer input = context.createBufferHost(const_cast<uchar *>(image.constBits()), size_t(image.sizeInBytes()),
                                                   QCLMemoryObject::ReadOnly);
        QCLBuffer counts = context.createBufferDevice(sizeof(HistogramData::counts), QCLMemoryObject::ReadWrite);
        const size_t pixels = size_t(image.width()) * size_t(image.height());
        for (const auto channel : {HistogramData::Red, HistogramData::Hue, HistogramData::Saturation,
                                   HistogramData::Lightness}) {
            row(QStringLiteral("  count of %1 alone").arg(HistogramData::ChannelName(channel)), none,
                cell(medianMs(9, [&] {
                    Histogram::Count(shared, runs, input, pixels, counts, HistogramData::Bit(channel), &data);
                })),
                none, none);
        }
    }
    for (const char *mode : {"Red", "Hue", "Saturation", "Lightness"}) {
        const QString name = QStringLiteral("Auto Level/") + QLatin1String(mode);
        row(name + QStringLiteral(" (60)"), none, wholeCall(qPrintable(name), {}, 9), none, none);
    }
    const struct {
        const char *name;
        QStringList args;
        const char *target;
    } stylise[] = {
        {"Sharpen", {}, "40"},
        {"Emboss", {}, "40"},
        {"Edge Detect/Color Difference", {}, "40"},
        {"Pixelate", {"size=8"}, "40"},
        {"Jitter", {"size=8", "seed=1"}, "40"},
        {"Glows/Bloom", {"threshold=225", "radius=8"}, "preview 150"},
        {"Glows/Glamour", {"blur=10", "intensity=60"}, "preview 150"},
    };
    for (const auto &f : stylise)
        row(QString::fromLatin1(f.name).section(QLatin1Char('/'), -1) + QStringLiteral(" (%1)").arg(f.target),
            preview(f.name, f.args, 9), wholeCall(f.name, f.args, 9), none, none);

    const QString plainInvert = cell(medianMs(7, [&] { plain.invertCall(image); }));
    QString notCv = none;
#ifdef CQ_HAVE_OPENCV
    notCv = cell(medianMs(9, [&] { cv::bitwise_not(src, dst); }));
#endif
    row(QStringLiteral("plain invert call / bitwise_not"), none, none, plainInvert, notCv);

    std::printf("\n");
    if (!quick)
        reportFirstUse(QCoreApplication::applicationFilePath());
    std::printf("\n");
    reportStall(registry, image);
    return 0;
}
