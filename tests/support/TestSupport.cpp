#include "TestSupport.h"

#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>
#include <QSettings>
#include <QStandardPaths>
#include <QRandomGenerator>

#include "QCLContext.h"

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

int maxChannelDifference(const QImage &a, const QImage &b)
{
    if (a.size() != b.size())
        return -1;
    int worst = 0;
    for (int y = 0; y < a.height(); ++y) {
        const auto *la = reinterpret_cast<const quint32 *>(a.constScanLine(y));
        const auto *lb = reinterpret_cast<const quint32 *>(b.constScanLine(y));
        for (int x = 0; x < a.width(); ++x)
            for (int shift = 0; shift < 32; shift += 8)
                worst = qMax(worst, qAbs(int((la[x] >> shift) & 255) - int((lb[x] >> shift) & 255)));
    }
    return worst;
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

void isolateSettings()
{
    QStandardPaths::setTestModeEnabled(true);
    // Test mode alone gives every test process on the machine one settings
    // file under the home folder: tests running side by side would clear and
    // overwrite each other's. Each process gets a folder of its own.
    static const QString s_base = [] {
        const QString base = qEnvironmentVariableIsSet("XDG_CONFIG_HOME") ? qEnvironmentVariable("XDG_CONFIG_HOME")
                                                                           : QDir::tempPath();
        QDir().mkpath(base);
        return base;
    }();
    static QTemporaryDir s_settings(s_base + QStringLiteral("/cq-test-settings-XXXXXX"));
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, s_settings.path());
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, s_settings.path());
    QCoreApplication::setOrganizationName(QStringLiteral("Kestrelvane"));
    QCoreApplication::setApplicationName(QStringLiteral("Chromaquill"));
    QSettings().clear();
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
