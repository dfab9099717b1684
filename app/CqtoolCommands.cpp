// What cqtool's subcommands do, and the one line of error each failure ends with.
#include "CqtoolCommands.h"

#include "AtomicFile.h"
#include "Chromaquill.h"
#include "DataFolders.h"
#include "Document.h"
#include "DocumentBuilder.h"
#include "DocumentFile.h"
#include "DocumentThumbnail.h"
#include "RecoveryFile.h"
#include "RecoveryFolder.h"
#include "Layer.h"
#include "ScratchDB.h"
#include "ImageFile.h"
#include "OpenCLReport.h"
#include "FilterLanding.h"
#include "FilterRegistry.h"
#include "HistogramCounter.h"
#include "KernelFilter.h"
#include "PngEncoder.h"
#include "ProgramCache.h"
#include "QCLContext.h"
#include "Startup.h"

#include <QDir>
#include <QFileInfo>
#include <QImageReader>
#include <QSettings>
#include <QStandardPaths>
#include <QStringList>

#include <cerrno>
#include <memory>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <unistd.h>

namespace cqtool {

namespace {

// Where the one line of error goes: the real stderr. The process's own
// stderr is pointed at /dev/null while the tool works, so that nothing the
// libraries print (image decoders, the platform plugin) comes before it.
int g_errorFd = STDERR_FILENO;

} // namespace

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

bool writeOut(const QString &text)
{
    const QByteArray bytes = text.toUtf8();
    return std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout) == size_t(bytes.size())
        && std::fflush(stdout) == 0;
}

namespace {

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

// A document (native or OpenRaster), a recovery copy (the editor's
// autosave) read as the document it holds, or an image opened as a
// one-layer document as the editor opens it. *pHeader says whose copy a
// recovery copy is.
bool readDocument(const QString &path, DocumentData *pData, QString *pError, QString *pHeader = nullptr)
{
    if (path.endsWith(RecoveryFolder::Suffix(), Qt::CaseInsensitive)) {
        RecoveryInfo info;
        if (!RecoveryFile::Read(path, &info, pData, pError))
            return false;
        if (pHeader)
            *pHeader = QStringLiteral("recovery copy of \"%1\"%2 written %3\n")
                           .arg(info.title,
                                info.fileName.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(info.fileName),
                                info.written.toString(Qt::ISODate))
                       + QStringLiteral("undo history of %1 steps%2\n")
                             .arg(info.historySteps)
                             .arg(info.historyNote.isEmpty() ? QString()
                                                             : QStringLiteral(" (%1)").arg(info.historyNote));
        return true;
    }
    if (DocumentFile::IsDocumentPath(path))
        return DocumentFile::ReadFile(path, pData, pError);
    const QImage image = ImageFile::Read(path, pError);
    if (image.isNull())
        return false;
    *pData = DocumentFile::FromImage(image, QFileInfo(path).fileName());
    return true;
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
        *pError = usageLine("filter");
        return false;
    }
    pArgs->in = positional[0];
    pArgs->out = positional[1];
    pArgs->name = positional[2];
    return true;
}

} // namespace

int runInfo(const QStringList &args)
{
    if (!args.isEmpty())
        return failUsage("info");
    const QByteArray report = openCLReport().toUtf8();
    if (std::fwrite(report.constData(), 1, size_t(report.size()), stdout) != size_t(report.size())
        || std::fflush(stdout) != 0)
        return fail(QStringLiteral("could not write the report"));
    return 0;
}

int runInspect(const QStringList &args)
{
    if (args.size() != 1)
        return failUsage("inspect");
    DocumentData data;
    QString error;
    QString text;
    if (!readDocument(args[0], &data, &error, &text))
        return fail(QStringLiteral("%1: %2").arg(args[0], error));
    text += QStringLiteral("version %1\ncanvas %2 x %3\nlayers %4\n")
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
    for (const QString &note : std::as_const(data.notes))
        text += QStringLiteral("unknown blending mode, opened as Normal: %1\n").arg(note);
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

// IN is a document (native or OpenRaster) or an image (opened as a
// one-layer document, as the editor opens it); OUT is written by its
// suffix: .cq and .ora as Save writes them, anything else flattened as
// export draws it. What other programs will show differently in an .ora
// is printed, a line per layer.
int runConvert(const QStringList &args)
{
    if (args.size() != 2)
        return failUsage("convert");
    const QString in = args[0], out = args[1];
    DocumentData data;
    QString error;
    if (!readDocument(in, &data, &error))
        return fail(QStringLiteral("%1: %2").arg(in, error));
    ScratchDB store;
    std::unique_ptr<Document> pDocument(DocumentBuilder::Build(data, store));
    bool bWritten;
    QStringList notes;
    if (DocumentFile::IsLayeredName(out)) {
        bWritten = DocumentBuilder::Save(out, *pDocument, &error, &notes);
    } else {
        // The export preview starts at quality 100.
        bWritten = Chromaquill::WriteImage(out, pDocument->Flattened(), 100, &error);
    }
    if (!bWritten)
        return fail(QStringLiteral("%1: %2").arg(out, error));
    if (!notes.isEmpty() && !writeOut(notes.join(QLatin1Char('\n')) + QLatin1Char('\n')))
        return fail(QStringLiteral("could not write the notes"));
    return 0;
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

// One line per channel (red, green, blue, hue, saturation, lightness): its
// name, its peak, then its 256 counts. Transparent pixels are not counted.
int runHistogram(const QStringList &args)
{
    if (args.size() != 1)
        return failUsage("histogram");
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

// A PNG of the flattened document for file managers. Native documents are
// read only as far as the picture needs; other files through the same
// reading as convert, once their size is known to fit.
int runThumbnail(const QStringList &args)
{
    bool bOk = false;
    const int iSide = args.size() == 3 ? args[2].toInt(&bOk) : 0;
    if (!bOk || iSide < 1 || iSide > DocumentThumbnail::kMaxSide)
        return failUsage("thumbnail");
    const QString in = args[0], out = args[1];
    QString error;
    QImage picture;
    ScratchDB store;
    // File managers name files as they are: a renamed document is known by its first bytes.
    if (DocumentThumbnail::StartsLikeDocument(in)) {
        picture = DocumentThumbnail::FromNativeFile(in, iSide, store, &error);
    } else if (DocumentThumbnail::StartsLikeOpenRaster(in)) {
        picture = DocumentThumbnail::FromOpenRasterFile(in, iSide, &error);
    } else {
        const QSize size = QImageReader(in).size();
        if (size.isValid() && qint64(size.width()) * size.height() > DocumentThumbnail::kMaxHeldPixels)
            return fail(QStringLiteral("%1: The image is too large to make a thumbnail of.").arg(in));
        DocumentData data;
        if (readDocument(in, &data, &error)) {
            const std::unique_ptr<Document> pDocument(DocumentBuilder::Build(data, store));
            picture = pDocument->Flattened().scaled(DocumentThumbnail::Fitted(data.canvas, iSide), Qt::IgnoreAspectRatio,
                                                    Qt::SmoothTransformation);
        }
    }
    if (picture.isNull())
        return fail(QStringLiteral("%1: %2").arg(in, error));
    const QByteArray png = PngEncoder::Encode(picture.convertToFormat(QImage::Format_ARGB32));
    if (png.isEmpty())
        return fail(QStringLiteral("%1: the picture could not be encoded").arg(out));
    if (!AtomicFile::Write(out, png, &error))
        return fail(QStringLiteral("%1: %2").arg(out, error));
    return 0;
}

// Where the brush sets and plug-ins come from, and what is found there.
int runFolders(const QStringList &args)
{
    if (!args.isEmpty())
        return failUsage("folders");
    Chromaquill::SetIdentity();
    const QString shipped = DataFolders::ShippedBrushes();
    const QString user = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) + QStringLiteral("/Brushes");
    QString text;
    for (const QString &folder : {shipped, user})
        text += QStringLiteral("brushes %1: %2\n")
                    .arg(QDir::toNativeSeparators(folder),
                         QDir(folder).entryList({QStringLiteral("*.cqb")}, QDir::Files, QDir::Name).join(QLatin1Char(' ')));
    QCLContext context; // not created: loading plug-ins needs no device
    ProgramCache cache(context);
    for (const QString &folder : DataFolders::Plugins()) {
        FilterRegistry registry(cache, nullptr);
        registry.Populate({folder});
        text += QStringLiteral("plug-ins %1: %2\n").arg(QDir::toNativeSeparators(folder), registry.PluginNames().join(QStringLiteral(", ")));
    }
    return writeOut(text) ? 0 : fail(QStringLiteral("could not write the listing"));
}

} // namespace cqtool
