#include "CrashHandler.h"

#include <vector>

#include <QDir>
#include <QMutex>
#include <QStandardPaths>

#include <atomic>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// What the handler reads. A rendered report is never freed once published:
// the handler may be reading it at any moment, and there are only a few
// renders during start-up.
struct Rendered
{
    QByteArray folder; // NUL-terminated path of the report folder
    QByteArray body;
};

std::atomic<const Rendered *> g_rendered{nullptr};
std::atomic<bool> g_installed{false};
constexpr int kSignals[] = {SIGSEGV, SIGABRT, SIGFPE, SIGILL, SIGBUS};

QMutex g_stateLock;
QString g_openCLInfo;
QMap<QString, QString> g_buildReport;
QString g_folder;
bool g_folderPinned = false;

void writeAll(int fd, const char *data, size_t length)
{
    while (length > 0) {
        const ssize_t n = ::write(fd, data, length);
        if (n <= 0)
            return;
        data += n;
        length -= size_t(n);
    }
}

// Decimal digits of value into buf (no terminator); returns the count.
size_t formatNumber(char *buf, unsigned long long value)
{
    char tmp[24];
    size_t n = 0;
    do {
        tmp[n++] = char('0' + value % 10);
        value /= 10;
    } while (value != 0);
    for (size_t i = 0; i < n; ++i)
        buf[i] = tmp[n - 1 - i];
    return n;
}

const char *signalName(int sig)
{
    switch (sig) {
    case SIGSEGV: return "SIGSEGV";
    case SIGABRT: return "SIGABRT";
    case SIGFPE: return "SIGFPE";
    case SIGILL: return "SIGILL";
    case SIGBUS: return "SIGBUS";
    default: return "signal";
    }
}

void onFatalSignal(int sig)
{
    const Rendered *r = g_rendered.load(std::memory_order_acquire);
    if (r && !r->folder.isEmpty()) {
        char path[4096];
        const size_t folderLength = size_t(r->folder.size());
        const char prefix[] = "/crash-";
        if (folderLength + sizeof(prefix) + 48 < sizeof(path)) {
            ::mkdir(r->folder.constData(), 0700);
            size_t n = 0;
            std::memcpy(path, r->folder.constData(), folderLength);
            n += folderLength;
            std::memcpy(path + n, prefix, sizeof(prefix) - 1);
            n += sizeof(prefix) - 1;
            n += formatNumber(path + n, (unsigned long long)::time(nullptr));
            path[n++] = '-';
            n += formatNumber(path + n, (unsigned long long)::getpid());
            std::memcpy(path + n, ".txt", 5);

            const int fd = ::open(path, O_WRONLY | O_CREAT | O_TRUNC, 0600);
            if (fd >= 0) {
                writeAll(fd, r->body.constData(), size_t(r->body.size()));
                const char *name = signalName(sig);
                const char label[] = "Signal: ";
                writeAll(fd, label, sizeof(label) - 1);
                writeAll(fd, name, std::strlen(name));
                char num[32];
                num[0] = ' ';
                num[1] = '(';
                size_t k = 2 + formatNumber(num + 2, (unsigned long long)sig);
                num[k++] = ')';
                num[k++] = '\n';
                writeAll(fd, num, k);
                ::close(fd);
            }
        }
    }
    // Hand the signal back to the default action so the process still dies
    // the way it would have (exit status, core dump).
    ::signal(sig, SIG_DFL);
    ::raise(sig);
}

} // namespace

bool CrashHandler::Install()
{
    if (g_installed.load())
        return true;
    Render();

    // A stack overflow leaves no stack for the handler; give it its own.
    static char *altStack = nullptr;
    if (!altStack) {
        const size_t size = SIGSTKSZ > 65536 ? size_t(SIGSTKSZ) : 65536;
        altStack = static_cast<char *>(std::malloc(size));
        if (altStack) {
            stack_t ss{};
            ss.ss_sp = altStack;
            ss.ss_size = size;
            ss.ss_flags = 0;
            ::sigaltstack(&ss, nullptr);
        }
    }

    struct sigaction action{};
    action.sa_handler = onFatalSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_ONSTACK | SA_RESETHAND;
    for (int sig : kSignals) {
        if (::sigaction(sig, &action, nullptr) != 0)
            return false;
    }
    g_installed.store(true);
    return true;
}

bool CrashHandler::IsInstalled()
{
    return g_installed.load();
}

void CrashHandler::SetOpenCLInfo(const QString &info)
{
    {
        QMutexLocker lock(&g_stateLock);
        g_openCLInfo = info;
    }
    Render();
}

void CrashHandler::SetBuildReport(const QMap<QString, QString> &report)
{
    {
        QMutexLocker lock(&g_stateLock);
        g_buildReport = report;
    }
    Render();
}

void CrashHandler::SetReportFolder(const QString &folder)
{
    {
        QMutexLocker lock(&g_stateLock);
        g_folder = folder;
        g_folderPinned = true;
    }
    Render();
}

QString CrashHandler::ReportFolder()
{
    QMutexLocker lock(&g_stateLock);
    return g_folder;
}

QByteArray CrashHandler::ReportText()
{
    const Rendered *r = g_rendered.load(std::memory_order_acquire);
    return r ? r->body : QByteArray();
}

void CrashHandler::Render()
{
    QMutexLocker lock(&g_stateLock);
    if (!g_folderPinned) {
        const QString base = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
        g_folder = base.isEmpty() ? QString() : base + QStringLiteral("/crashes");
    }
    if (!g_folder.isEmpty())
        QDir().mkpath(g_folder);

    QString text;
    text += QStringLiteral("Chromaquill crash report\n");
    text += QStringLiteral("ChromaquillBuild: ") + QStringLiteral(CQ_VERSION) + QLatin1Char('\n');
    text += QStringLiteral("\n[OpenCLInfo]\n") + g_openCLInfo + QLatin1Char('\n');
    for (auto it = g_buildReport.cbegin(); it != g_buildReport.cend(); ++it)
        text += QStringLiteral("\n[") + it.key() + QStringLiteral("]\n") + it.value() + QLatin1Char('\n');
    text += QLatin1Char('\n');

    auto *rendered = new Rendered;
    rendered->folder = QFile::encodeName(g_folder);
    rendered->body = text.toUtf8();
    // Force the deep copies to be detached and NUL-terminated before publishing.
    rendered->folder.detach();
    rendered->body.detach();
    // A handler may still be reading the previous text, so it is kept (and
    // stays reachable) rather than freed.
    static auto *s_retired = new std::vector<const Rendered *>;
    if (const Rendered *old = g_rendered.exchange(rendered, std::memory_order_acq_rel))
        s_retired->push_back(old);
}
