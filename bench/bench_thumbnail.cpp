// `cqtool thumbnail` of the benchmark document (eight 4096 x 4096 layers)
// at 256: wall time (median of a few runs) and the tool's peak resident
// memory, against `cqtool convert` of the same document to PNG. Twice: as
// the document is (the opaque seventh layer hides the six beneath it), and
// its top four layers alone at 99% opacity, so that all four are decoded
// (the most a thumbnail decodes is four such layers' worth of pixels).
// The processor time (all threads) is printed too: on a busy machine the
// wall clock overstates what an idle one takes.
//   bench_thumbnail [path of cqtool [folder to keep the documents in]]
#include "BenchSupport.h"
#include "DocumentFile.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

struct Measure {
    double seconds = -1;
    double cpuSeconds = 0; // user and system time of all its threads
    long peakKiB = 0;
};

// Runs the program to its end, its own peak memory taken from wait4.
Measure runOnce(const QString &program, const QStringList &args)
{
    QList<QByteArray> bytes{QFile::encodeName(program)};
    for (const QString &arg : args)
        bytes << QFile::encodeName(arg);
    QList<char *> argv;
    for (QByteArray &b : bytes)
        argv << b.data();
    argv << nullptr;
    QElapsedTimer clock;
    clock.start();
    const pid_t pid = fork();
    if (pid == 0) {
        execv(argv[0], argv.data());
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    if (pid < 0 || wait4(pid, &status, 0, &usage) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return {};
    const double cpu = usage.ru_utime.tv_sec + usage.ru_stime.tv_sec + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
    return {clock.nsecsElapsed() / 1e9, cpu, usage.ru_maxrss};
}

Measure measure(const QString &program, const QStringList &args, int iRuns)
{
    QList<double> times, cpus;
    long peak = 0;
    for (int i = 0; i < iRuns; ++i) {
        const Measure m = runOnce(program, args);
        if (m.seconds < 0)
            return {};
        times << m.seconds;
        cpus << m.cpuSeconds;
        peak = qMax(peak, m.peakKiB);
    }
    return {bench::median(times), bench::median(cpus), peak};
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QString cqtool = argc > 1 ? QString::fromLocal8Bit(argv[1]) : app.applicationDirPath() + QStringLiteral("/../cqtool");
    constexpr int kSide = 4096, kLayers = 8;
    QTemporaryDir temporary;
    const QDir dir(argc > 2 ? QString::fromLocal8Bit(argv[2]) : temporary.path());
    DocumentData data;
    data.canvas = QSize(kSide, kSide);
    for (int i = 0; i < kLayers; ++i) {
        LayerData layer;
        layer.kind = 0;
        layer.z = i;
        layer.png = DocumentFile::EncodePng(bench::photoLayer(kSide, i + 1));
        data.layers.append(layer);
    }
    const QString asIs = dir.filePath(QStringLiteral("bench.cq")), allSeen = dir.filePath(QStringLiteral("translucent.cq"));
    QString error;
    if (!DocumentFile::WriteFile(asIs, DocumentFile::Serialize(data), &error))
        return std::fprintf(stderr, "%s\n", qPrintable(error)), 1;
    data.layers.remove(0, kLayers / 2);
    for (LayerData &layer : data.layers)
        layer.opacity = 0.99;
    if (!DocumentFile::WriteFile(allSeen, DocumentFile::Serialize(data), &error))
        return std::fprintf(stderr, "%s\n", qPrintable(error)), 1;
    std::printf("document: %d layers of %d x %d, file %.1f MiB\n", kLayers, kSide, kSide, QFileInfo(asIs).size() / 1048576.0);

    const QString out = dir.filePath(QStringLiteral("thumb.png")), full = dir.filePath(QStringLiteral("full.png"));
    for (const auto &[label, path] : {std::pair{"as saved", asIs}, std::pair{"four, all seen", allSeen}}) {
        const Measure thumb = measure(cqtool, {QStringLiteral("thumbnail"), path, out, QStringLiteral("256")}, 5);
        const Measure convert = measure(cqtool, {QStringLiteral("convert"), path, full}, 1);
        if (thumb.seconds < 0 || convert.seconds < 0)
            return std::fprintf(stderr, "cqtool failed on %s\n", label), 1;
        std::printf("%-16s thumbnail 256: %.3f s (cpu %.3f s), peak %.0f MiB   convert to PNG: %.3f s (cpu %.3f s), peak %.0f MiB\n",
                    label, thumb.seconds, thumb.cpuSeconds, thumb.peakKiB / 1024.0, convert.seconds, convert.cpuSeconds,
                    convert.peakKiB / 1024.0);
    }
    return 0;
}
