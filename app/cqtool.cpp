// Headless companion tool: `cqtool <subcommand> [args]`.
#include "OpenCLReport.h"

#include <QApplication>
#include <QStringList>

#include <cstdio>
#include <cstdlib>

namespace {

struct Subcommand {
    const char *name;
    const char *usage;
    int (*run)(const QStringList &args);
};

int fail(const QString &message)
{
    std::fprintf(stderr, "cqtool: %s\n", qPrintable(message));
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

const Subcommand subcommands[] = {
    {"info", "info    print the OpenCL platform and device report", runInfo},
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
    // Start-up chatter from the platform plugin (runtime dir and the like)
    // would break the one-line error contract on stderr.
    const QtMessageHandler previous = qInstallMessageHandler([](QtMsgType, const QMessageLogContext &, const QString &) {});
    QApplication app(argc, argv);
    qInstallMessageHandler(previous);
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
