// Headless companion tool: `cqtool <subcommand> [args]`.
#include "Chromaquill.h"
#include "Document.h"
#include "DocumentBuilder.h"
#include "DocumentFile.h"
#include "Layer.h"
#include "ScratchDB.h"
#include "ImageFile.h"
#include "OpenCLReport.h"

#include <QApplication>
#include <QFileInfo>
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

const Subcommand subcommands[] = {
    {"info", "info    print the OpenCL platform and device report", runInfo},
    {"inspect", "inspect FILE.cq    list the canvas, layers, styles and paths of a document", runInspect},
    {"convert", "convert IN OUT    convert between documents and images by suffix", runConvert},
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
