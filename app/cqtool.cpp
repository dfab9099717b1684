// Headless companion tool: `cqtool <subcommand> [args]`.
#include "Chromaquill.h"
#include "Document.h"
#include "DocumentBuilder.h"
#include "DocumentFile.h"
#include "Layer.h"
#include "ScratchDB.h"
#include "ImageFile.h"
#include "OpenCLReport.h"
#include "FilterLanding.h"
#include "FilterRegistry.h"
#include "HistogramCounter.h"
#include "KernelFilter.h"
#include "ProgramCache.h"
#include "QCLContext.h"
#include "Startup.h"

#include <QApplication>
#include <QFileInfo>
#include <QSettings>
#include <QStringList>

#include <cerrno>
#include <memory>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <unistd.h>

namespace {

struct Subcommand {
    const char *name;
    const char *usage;
    int (*run)(const QStringList &args);
};

// Where the one line of error goes: the real stderr. The process's own
// stderr is pointed at /dev/null while the tool works, so that nothing the
// libraries print (image decoders, the platform plugin) comes before it.
int g_errorFd = STDERR_FILENO;

void silenceStderr()
{
    const int saved = ::dup(STDERR_FILENO);
    const int null = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
    if (saved < 0 || null < 0 || ::dup2(null, STDERR_FILENO) < 0) {
        if (saved >= 0)
            ::close(saved);
    } else {
        ::fcntl(saved, F_SETFD, FD_CLOEXEC);
        g_errorFd = saved;
    }
    if (null >= 0)
        ::close(null);
}

int fail(const QString &message)
{
    const QByteArray line = "cqtool: " + message.toLocal8Bit().replace('\n', ' ') + '\n';
    qsizetype done = 0;
    while (done < line.size()) {
        const ssize_t n = ::write(g_errorFd, line.constData() + done, size_t(line.size() - done));
        if (n <= 0 && errno != EINTR)
            break;
        done += qMax<ssize_t>(n, 0);
    }
    return 1;
}

int runInfo(const QStringList &args)
{
    if (!args.isEmpty())
        return fail(QStringLiteral("info takes no arguments"));
    const QByteArray report = openCLReport().toUtf8();
    if (std::fwrite(report.constData(), 1, size_t(report.size()), stdout) != size_t(report.size())
        || std::fflush(stdout) != 0)
        return fail(QStringLiteral("could not write the report"));
    return 0;
}

bool isNative(const QString &path)
{
    return QFileInfo(path).suffix().toUpper() == QLatin1String("CQ");
}

QString blendName(int iMode)
{
    for (const auto &entry : Layer::BlendingModes())
        if (entry.second == iMode)
            return entry.first;
    return QStringLiteral("mode %1").arg(iMode);
}

QString number(double d)
{
    return QString::number(d, 'g', 10);
}

bool writeOut(const QString &text)
{
    const QByteArray bytes = text.toUtf8();
    return std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout) == size_t(bytes.size())
        && std::fflush(stdout) == 0;
}

int runInspect(const QStringList &args)
{
    if (args.size() != 1)
        return fail(QStringLiteral("usage: cqtool inspect FILE.cq"));
    DocumentData data;
    QString error;
    if (!DocumentFile::ReadFile(args[0], &data, &error))
        return fail(QStringLiteral("%1: %2").arg(args[0], error));
    QString text = QStringLiteral("version %1\ncanvas %2 x %3\nlayers %4\n")
                       .arg(data.version).arg(data.canvas.width()).arg(data.canvas.height()).arg(data.layers.size());
    for (int i = 0; i < data.layers.size(); ++i) {
        const LayerData &l = data.layers[i];
        const QString size = l.kind == 0 ? QStringLiteral("%1 x %2").arg(l.image.width()).arg(l.image.height())
                                         : QStringLiteral("%1 characters of html").arg(l.html.size());
        text += QStringLiteral("layer %1: %2 \"%3\" blend %4 (%5) opacity %6 %7 z %8 pos %9,%10 size %11\n")
                    .arg(i + 1)
                    .arg(l.kind == 0 ? QStringLiteral("raster") : QStringLiteral("text"), l.name,
                         blendName(l.blendingMode))
                    .arg(l.blendingMode)
                    .arg(number(l.opacity), l.visible ? QStringLiteral("visible") : QStringLiteral("hidden"),
                         number(l.z), number(l.pos.x()), number(l.pos.y()), size);
    }
    for (int i = 0; i < data.layers.size(); ++i)
        for (const QByteArray &style : data.layers[i].styleRecords)
            text += QStringLiteral("style of layer %1: %2\n").arg(i + 1).arg(DocumentFile::DescribeStyle(style));
    text += QStringLiteral("paths %1\n").arg(data.paths.size());
    for (int i = 0; i < data.paths.size(); ++i) {
        const PathData &p = data.paths[i];
        text += QStringLiteral("path %1: \"%2\" start %3,%4 points %5\n")
                    .arg(i + 1)
                    .arg(p.name, number(p.start.x()), number(p.start.y()))
                    .arg(p.items.size());
    }
    if (!writeOut(text))
        return fail(QStringLiteral("could not write the listing"));
    return 0;
}

// IN is a native document or an image (opened as a one-layer document, as
// the editor opens it); OUT is written by its suffix: .cq as Save writes
// it, anything else flattened as export draws it.
int runConvert(const QStringList &args)
{
    if (args.size() != 2)
        return fail(QStringLiteral("usage: cqtool convert IN OUT"));
    const QString in = args[0], out = args[1];
    DocumentData data;
    QString error;
    if (isNative(in)) {
        if (!DocumentFile::ReadFile(in, &data, &error))
            return fail(QStringLiteral("%1: %2").arg(in, error));
    } else {
        const QImage image = ImageFile::Read(in, &error);
        if (image.isNull())
            return fail(QStringLiteral("%1: %2").arg(in, error));
        data = DocumentFile::FromImage(image, QFileInfo(in).fileName());
    }
    ScratchDB store;
    std::unique_ptr<Document> pDocument(DocumentBuilder::Build(data, store));
    bool bWritten;
    if (isNative(out)) {
        bWritten = DocumentBuilder::Save(out, *pDocument, &error);
    } else {
        // The export preview starts at quality 100.
        bWritten = Chromaquill::WriteImage(out, pDocument->Flattened(), 100, &error);
    }
    if (!bWritten)
        return fail(QStringLiteral("%1: %2").arg(out, error));
    return 0;
}

// The device the program itself would choose (the GPU unless settings force
// the CPU); false when there is none.
bool createContext(QCLContext &context)
{
    Chromaquill::SetIdentity();
    // Trying the GPU where there is none is no news here: errors are one line.
    const QtMessageHandler previous = qInstallMessageHandler([](QtMsgType, const QMessageLogContext &, const QString &) {});
    const Startup::ComputeMode mode = Startup::ChooseComputeMode(
        Startup::ForceCpu(QSettings()), [&context](QCLDevice::DeviceTypes type) { return context.create(type); });
    qInstallMessageHandler(previous);
    return mode != Startup::ComputeMode::None;
}

// --- filter ------------------------------------------------------------------

const char kFilterUsage[] =
    "filter IN OUT NAME [KEY=VALUE ...] [--select X,Y,W,H] [--repeat N]    run a filter (NAME is its menu path, "
    "such as \"Blurs/Gaussian\"; every key it has is required but an optional one, such as Jitter's seed) on the "
    "image IN and write OUT; with --select only that rectangle changes; --repeat runs it N times on the same input";

struct FilterArguments {
    QString in, out, name;
    QStringList keyValues;
    QRect select;
    int repeat = 1;
};

bool parseFilterArguments(const QStringList &args, FilterArguments *pArgs, QString *pError)
{
    QStringList positional;
    for (int i = 0; i < args.size(); ++i) {
        const QString &arg = args[i];
        if (arg == QLatin1String("--select") || arg == QLatin1String("--repeat")) {
            if (i + 1 >= args.size()) {
                *pError = arg + QStringLiteral(" needs a value");
                return false;
            }
            const QString value = args[++i];
            if (arg == QLatin1String("--repeat")) {
                bool ok = false;
                pArgs->repeat = value.toInt(&ok);
                if (!ok || pArgs->repeat < 1 || pArgs->repeat > 10000) {
                    *pError = QStringLiteral("--repeat %1 is out of range (1 to 10000)").arg(value);
                    return false;
                }
                continue;
            }
            const QStringList parts = value.split(QLatin1Char(','));
            QList<int> n;
            for (const QString &part : parts) {
                bool ok = false;
                n << part.toInt(&ok);
                if (!ok)
                    break;
            }
            if (n.size() != 4 || parts.size() != 4 || n[2] < 1 || n[3] < 1) {
                *pError = QStringLiteral("--select %1 is not X,Y,W,H with W and H at least 1").arg(value);
                return false;
            }
            pArgs->select = QRect(n[0], n[1], n[2], n[3]);
        } else if (arg.startsWith(QLatin1String("--"))) {
            *pError = QStringLiteral("unknown option %1").arg(arg);
            return false;
        } else if (positional.size() < 3) {
            positional << arg;
        } else {
            pArgs->keyValues << arg;
        }
    }
    if (positional.size() < 3) {
        *pError = QStringLiteral("usage: cqtool ") + QLatin1String(kFilterUsage);
        return false;
    }
    pArgs->in = positional[0];
    pArgs->out = positional[1];
    pArgs->name = positional[2];
    return true;
}

int runFilter(const QStringList &args)
{
    FilterArguments a;
    QString error;
    if (!parseFilterArguments(args, &a, &error))
        return fail(error);

    QCLContext context;
    ProgramCache cache(context);
    FilterRegistry registry(cache, nullptr);
    registry.Populate({});
    auto *pFilter = qobject_cast<KernelFilter *>(registry.Find(a.name) ? registry.Find(a.name)->GetObject() : nullptr);
    if (!pFilter) {
        QStringList names;
        for (FilterPlugin *pEach : registry.Filters())
            names << pEach->GetName();
        return fail(QStringLiteral("unknown filter \"%1\" (filters: %2)").arg(a.name, names.join(QStringLiteral(", "))));
    }
    FilterValues values;
    if (!FilterValues::parse(pFilter->Params(), a.keyValues, &values, &error))
        return fail(QStringLiteral("%1: %2").arg(a.name, error));

    QImage image = ImageFile::Read(a.in, &error);
    if (image.isNull())
        return fail(QStringLiteral("%1: %2").arg(a.in, error));
    image = image.convertToFormat(QImage::Format_ARGB32);
    if (!a.select.isNull() && !a.select.intersects(image.rect()))
        return fail(QStringLiteral("--select %1,%2,%3,%4 lies outside the %5 x %6 image")
                        .arg(a.select.x()).arg(a.select.y()).arg(a.select.width()).arg(a.select.height())
                        .arg(image.width()).arg(image.height()));

    if (!createContext(context))
        return fail(QStringLiteral("no usable OpenCL device"));
    const QString loadError = registry.Load(pFilter);
    if (!loadError.isEmpty())
        return fail(QStringLiteral("%1 could not load its kernels: %2").arg(a.name, loadError.simplified()));

    QImage result;
    for (int i = 0; i < a.repeat; ++i) {
        result = pFilter->Run(image, values);
        if (result.isNull())
            return fail(QStringLiteral("%1 failed on the OpenCL device").arg(a.name));
    }
    const QImage landed = FilterLanding::Land(image, result, a.select.isNull() ? QRegion() : QRegion(a.select));
    if (!Chromaquill::WriteImage(a.out, landed, 100, &error))
        return fail(QStringLiteral("%1: %2").arg(a.out, error));
    return 0;
}

// --- histogram -----------------------------------------------------------------

// One line per channel (red, green, blue, hue, saturation, lightness): its
// name, its peak, then its 256 counts. Transparent pixels are not counted.
int runHistogram(const QStringList &args)
{
    if (args.size() != 1)
        return fail(QStringLiteral("usage: cqtool histogram IN"));
    QString error;
    const QImage image = ImageFile::Read(args[0], &error);
    if (image.isNull())
        return fail(QStringLiteral("%1: %2").arg(args[0], error));
    QCLContext context;
    if (!createContext(context))
        return fail(QStringLiteral("no usable OpenCL device"));
    HistogramCounter counter(context);
    const QString loadError = counter.Initialize();
    if (!loadError.isEmpty())
        return fail(QStringLiteral("the histogram kernels could not be loaded: %1").arg(loadError.simplified()));
    HistogramData data;
    if (!counter.Count(image, &data))
        return fail(QStringLiteral("the histogram failed on the OpenCL device"));
    QString text;
    for (int c = 0; c < HistogramData::kChannels; ++c) {
        text += HistogramData::ChannelName(c) + QLatin1Char(' ') + QString::number(data.peaks[c]);
        for (int n : data.counts[c])
            text += QLatin1Char(' ') + QString::number(n);
        text += QLatin1Char('\n');
    }
    if (!writeOut(text))
        return fail(QStringLiteral("could not write the histogram"));
    return 0;
}

const Subcommand subcommands[] = {
    {"info", "info    print the OpenCL platform and device report", runInfo},
    {"inspect", "inspect FILE.cq    list the canvas, layers, styles and paths of a document", runInspect},
    {"convert", "convert IN OUT    convert between documents and images by suffix", runConvert},
    {"filter", kFilterUsage, runFilter},
    {"histogram", "histogram IN    print the red, green, blue, hue, saturation and lightness histograms of an image "
                  "(a line each: name, peak, 256 counts)", runHistogram},
};

QString usage()
{
    QString text = QStringLiteral("usage: cqtool <subcommand> [arguments] (");
    bool first = true;
    for (const Subcommand &s : subcommands) {
        text += (first ? QString() : QStringLiteral("; ")) + QLatin1String(s.usage);
        first = false;
    }
    return text + QLatin1Char(')');
}

} // namespace

int main(int argc, char **argv)
{
    // No display is needed or wanted.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // One line of error, nothing else: toolkit and library messages go
    // nowhere, whichever way they are written.
    silenceStderr();
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext &, const QString &) {});
    QApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    if (args.isEmpty())
        return fail(usage());
    const QString command = args.takeFirst();
    for (const Subcommand &s : subcommands) {
        if (command == QLatin1String(s.name))
            return s.run(args);
    }
    return fail(QStringLiteral("unknown subcommand \"%1\"; %2").arg(command, usage()));
}
