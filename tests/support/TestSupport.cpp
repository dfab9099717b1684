#include "TestSupport.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QDir>
#include <QImageWriter>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QSettings>
#include <QStandardPaths>
#include <QRandomGenerator>

#include "QCLContext.h"
#include "ScratchDB.h"

#include <csignal>
#include <sys/resource.h>

namespace cqtest {

bool withFileSizeLimit(qint64 iBytes, const std::function<void()> &work)
{
    struct rlimit saved;
    if (getrlimit(RLIMIT_FSIZE, &saved) != 0)
        return false;
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit limited = saved;
    limited.rlim_cur = rlim_t(iBytes);
    const bool bSet = setrlimit(RLIMIT_FSIZE, &limited) == 0;
    if (bSet)
        work();
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previousHandler);
    return bSet;
}

QImage patternImage(int width, int height, quint32 seed, bool withAlpha)
{
    QImage image(width, height, QImage::Format_ARGB32);
    QRandomGenerator rng(seed);
    for (int y = 0; y < height; ++y) {
        auto *line = reinterpret_cast<quint32 *>(image.scanLine(y));
        for (int x = 0; x < width; ++x) {
            quint32 v = rng.generate();
            if (!withAlpha)
                v |= 0xff000000u;
            line[x] = v;
        }
    }
    return image;
}

QImage filledImage(int width, int height, QRgb pixel)
{
    QImage image(width, height, QImage::Format_ARGB32);
    image.fill(pixel);
    return image;
}

QImage filledImage(int width, int height, Qt::GlobalColor color)
{
    return filledImage(width, height, QColor(color).rgba());
}

qint64 differingPixels(const QImage &a, const QImage &b)
{
    if (a.size() != b.size() || a.format() != b.format())
        return -1;
    qint64 count = 0;
    for (int y = 0; y < a.height(); ++y) {
        const auto *la = reinterpret_cast<const quint32 *>(a.constScanLine(y));
        const auto *lb = reinterpret_cast<const quint32 *>(b.constScanLine(y));
        for (int x = 0; x < a.width(); ++x)
            count += la[x] != lb[x];
    }
    return count;
}

qint64 offByMoreThan(const QImage &a, const QImage &b, int tolerance)
{
    if (a.size() != b.size())
        return -1;
    qint64 count = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            count += qAbs(qRed(p) - qRed(q)) > tolerance || qAbs(qGreen(p) - qGreen(q)) > tolerance
                     || qAbs(qBlue(p) - qBlue(q)) > tolerance || qAbs(qAlpha(p) - qAlpha(q)) > tolerance;
        }
    return count;
}

QString firstDifference(const QImage &got, const QImage &expected)
{
    if (got.size() != expected.size())
        return QStringLiteral("sizes differ");
    for (int y = 0; y < got.height(); ++y)
        for (int x = 0; x < got.width(); ++x)
            if (got.pixel(x, y) != expected.pixel(x, y))
                return QStringLiteral("(%1, %2): %3, expected %4")
                    .arg(x).arg(y).arg(got.pixel(x, y), 8, 16).arg(expected.pixel(x, y), 8, 16);
    return QString();
}

QString cqtoolPath()
{
    return qEnvironmentVariable("CQ_BINARY_DIR") + QStringLiteral("/cqtool");
}

ToolRun runCqtool(const QStringList &arguments, const std::function<void()> &childSetup)
{
    return runProgram(cqtoolPath(), arguments, childSetup);
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

QByteArray encodedImage(const QImage &image, const char *format)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter(&buffer, format).write(image);
    return bytes;
}

ToolRun runProgram(const QString &program, const QStringList &arguments, const std::function<void()> &childSetup)
{
    QProcess process;
    if (childSetup)
        process.setChildProcessModifier(childSetup);
    process.start(program, arguments);
    ToolRun run;
    if (!process.waitForFinished(120000))
        return run;
    run.code = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.out = process.readAllStandardOutput();
    run.err = process.readAllStandardError();
    return run;
}

void isolateSettings()
{
    // Settings and per-user data of this process alone. The toolkit's test
    // mode would give every test process on the machine (every checkout's
    // too) the same folders under the home folder, where one test clearing
    // its brush sets or plug-ins pulls them from under another; so each
    // process gets a private folder for both instead.
    static const QString s_base = [] {
        const QString base = qEnvironmentVariableIsSet("XDG_CONFIG_HOME") ? qEnvironmentVariable("XDG_CONFIG_HOME")
                                                                           : QDir::tempPath();
        QDir().mkpath(base);
        return base;
    }();
    static QTemporaryDir s_home(s_base + QStringLiteral("/cq-test-home-XXXXXX"));
    QStandardPaths::setTestModeEnabled(false);
    qputenv("XDG_DATA_HOME", QFile::encodeName(s_home.filePath(QStringLiteral("data"))));
    qputenv("XDG_CACHE_HOME", QFile::encodeName(s_home.filePath(QStringLiteral("cache"))));
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, s_home.filePath(QStringLiteral("config")));
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, s_home.filePath(QStringLiteral("config")));
    QCoreApplication::setOrganizationName(QStringLiteral("Kestrelvane"));
    QCoreApplication::setApplicationName(QStringLiteral("Chromaquill"));
    QSettings().clear();
}

ScratchDB &scratchStore()
{
    static ScratchDB *s_pStore = new ScratchDB;
    return *s_pStore;
}

bool createCpuContext(QCLContext &context)
{
    if (context.create(QCLDevice::CPU))
        return true;
    QStringList found;
    for (const QCLPlatform &p : QCLPlatform::platforms())
        found << p.name();
    qWarning("No OpenCL CPU device (platforms: %s); is PoCL installed?",
             found.isEmpty() ? "none" : qPrintable(found.join(QStringLiteral(", "))));
    return false;
}

} // namespace cqtest

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <functional>
#include <memory>

namespace cqtest {

void answerNextMessageBox(int iButton, MessageBoxAnswer *pAnswer)
{
    // A self-deleting poller: message boxes run their own event loop, so the
    // answer has to come from a timer.
    auto *pTimer = new QTimer(qApp);
    pTimer->setInterval(10);
    auto tries = std::make_shared<int>(0);
    QObject::connect(pTimer, &QTimer::timeout, pTimer, [pTimer, iButton, pAnswer, tries] {
        auto *pBox = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!pBox) {
            if (++*tries > 500)
                pTimer->deleteLater();
            return;
        }
        pTimer->stop();
        pTimer->deleteLater();
        if (pAnswer) {
            pAnswer->title = pBox->windowTitle();
            pAnswer->text = pBox->text();
            pAnswer->details = pBox->detailedText();
            pAnswer->seen = true;
        }
        if (QAbstractButton *pButton = pBox->button(QMessageBox::StandardButton(iButton)))
            pButton->click();
        else
            pBox->reject();
    });
    pTimer->start();
}

} // namespace cqtest

#include <QDialog>

namespace cqtest {

void actOnNextDialog(const std::function<void(QDialog *)> &act)
{
    auto *pTimer = new QTimer(qApp);
    pTimer->setInterval(10);
    auto tries = std::make_shared<int>(0);
    QObject::connect(pTimer, &QTimer::timeout, pTimer, [pTimer, act, tries] {
        auto *pDialog = qobject_cast<QDialog *>(QApplication::activeModalWidget());
        if (!pDialog) {
            if (++*tries > 500)
                pTimer->deleteLater();
            return;
        }
        pTimer->stop();
        pTimer->deleteLater();
        act(pDialog);
    });
    pTimer->start();
}

} // namespace cqtest
