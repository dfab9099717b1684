// Headless companion tool: `cqtool <subcommand> [args]`.
#include "CqtoolCommands.h"
#include "FilterRegistry.h"
#include "KernelFilter.h"
#include "ProgramCache.h"
#include "QCLContext.h"

#include <QApplication>

using namespace cqtool;

namespace {

struct Subcommand {
    const char *name;
    const char *synopsis; // the arguments, as in "usage: cqtool <synopsis>"
    const char *summary;  // one line for the command list
    const char *details;  // what `cqtool help NAME` adds
    int (*run)(const QStringList &args);
};

const Subcommand subcommands[] = {
    {"info", "info", "print the OpenCL platform and device report",
     "Lists every OpenCL platform and device this machine offers, as the editor's system information shows them.",
     runInfo},
    {"inspect", "inspect FILE", "list the canvas, layers, styles and paths of a document (.cq or .ora)",
     "Prints one line for the canvas, then one per layer (kind, name, position, opacity, visibility, blending mode,\n"
     "styles) and one per path. The file is read as the editor reads it: a damaged file is an error. A recovery\n"
     "copy (.cqr, left by the editor's autosave) is listed as the document it holds, after a line saying whose it is.",
     runInspect},
    {"convert", "convert IN OUT", "convert between documents and images by suffix",
     "IN is a document (.cq or OpenRaster .ora), a recovery copy (.cqr) or an image, opened as the editor opens\n"
     "it. OUT is written by its suffix: .cq and .ora as Save writes them, any image format (png, jpg, bmp, ...)\n"
     "flattened as Export draws it, at quality 100. Writing .ora prints one line per layer that other programs\n"
     "will show differently.",
     runConvert},
    {"filter", "filter IN OUT NAME [KEY=VALUE ...] [--select X,Y,W,H] [--repeat N]",
     "run a filter on an image",
     "Runs the filter NAME (its menu path, such as \"Blurs/Gaussian\") on the image IN and writes OUT. Every key\n"
     "the filter has is required (optional ones are marked). With --select only that rectangle changes; its pixels\n"
     "equal the whole-image result. --repeat N runs the filter N times on the same input (OUT holds the last).",
     runFilter},
    {"histogram", "histogram IN", "print the six histograms of an image",
     "Counts the pixels of the image IN that are not fully transparent into 256 buckets for red, green, blue,\n"
     "hue, saturation and lightness (each on a 0..255 scale). Prints one line per channel in that order: its name,\n"
     "its peak (the largest count), then the 256 counts, separated by spaces.",
     runHistogram},
    {"thumbnail", "thumbnail IN OUT SIZE", "write a small PNG picture of a document or image",
     "Writes to OUT a PNG of the flattened document or image IN, at most SIZE x SIZE pixels (1 to 1024) with its\n"
     "aspect kept and never enlarged. Only what the picture needs is decoded; a damaged file or one too large to\n"
     "picture quickly is an error and nothing is written. File managers call it through chromaquill.thumbnailer.",
     runThumbnail},
    {"folders", "folders", "list where brush sets and filter plug-ins are read from",
     "Prints one line per folder the editor reads: the shipped and per-user brush folders with the sets in them,\n"
     "then each filter plug-in folder with the filters its plug-ins add.",
     runFolders},
};

const Subcommand *find(const QString &name)
{
    for (const Subcommand &s : subcommands)
        if (name == QLatin1String(s.name))
            return &s;
    return nullptr;
}

} // namespace

namespace cqtool {

QString usageLine(const char *name)
{
    return QStringLiteral("usage: cqtool %1 (see \"cqtool help %2\")")
        .arg(QLatin1String(find(QLatin1String(name))->synopsis), QLatin1String(name));
}

int failUsage(const char *name)
{
    return fail(usageLine(name));
}
} // namespace cqtool

namespace {

QString overview()
{
    QString text = QStringLiteral("usage: cqtool COMMAND [ARGUMENTS]\n\nCommands:\n");
    for (const Subcommand &s : subcommands)
        text += QStringLiteral("  %1%2\n").arg(QLatin1String(s.name), -10).arg(QLatin1String(s.summary));
    return text + QStringLiteral("\nRun \"cqtool help COMMAND\" for a command's arguments.\n");
}

// The filters and their keys, from the same tables the editor's dialogs use.
QString filterList()
{
    QCLContext context; // not created: listing needs no device
    ProgramCache cache(context);
    FilterRegistry registry(cache, nullptr);
    registry.Populate({});
    QString text = QStringLiteral("\nFilters and their keys:\n");
    for (FilterPlugin *pFilter : registry.Filters()) {
        auto *pKernel = qobject_cast<KernelFilter *>(pFilter->GetObject());
        QStringList keys;
        if (pKernel)
            for (const FilterParam &param : pKernel->Params())
                keys << (param.optional ? QStringLiteral("[%1]").arg(param.describe()) : param.describe());
        text += QStringLiteral("  \"%1\"%2\n").arg(pFilter->GetName(), keys.isEmpty() ? QString() : QStringLiteral("  ") + keys.join(QStringLiteral(", ")));
    }
    return text;
}

int runHelp(const QStringList &args)
{
    if (args.isEmpty())
        return writeOut(overview()) ? 0 : fail(QStringLiteral("could not write the help"));
    const Subcommand *pCommand = args.size() == 1 ? find(args.first()) : nullptr;
    if (!pCommand)
        return fail(QStringLiteral("unknown command \"%1\"; commands: info, inspect, convert, filter, histogram, thumbnail, folders").arg(args.join(QLatin1Char(' '))));
    QString text = QStringLiteral("usage: cqtool %1\n\n%2\n").arg(QLatin1String(pCommand->synopsis), QLatin1String(pCommand->details));
    if (qstrcmp(pCommand->name, "filter") == 0)
        text += filterList();
    return writeOut(text) ? 0 : fail(QStringLiteral("could not write the help"));
}

bool isHelp(const QString &arg)
{
    return arg == QLatin1String("--help") || arg == QLatin1String("-h") || arg == QLatin1String("help");
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
        return fail(QStringLiteral("no command given; run \"cqtool help\" for the list"));
    const QString command = args.takeFirst();
    if (isHelp(command))
        return runHelp(args);
    const Subcommand *pCommand = find(command);
    if (!pCommand)
        return fail(QStringLiteral("unknown command \"%1\"; run \"cqtool help\" for the list").arg(command));
    if (args.size() == 1 && isHelp(args.first()) && args.first() != QLatin1String("help"))
        return runHelp({command});
    return pCommand->run(args);
}
