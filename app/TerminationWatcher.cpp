#include "TerminationWatcher.h"

#include <QSocketNotifier>

#include <csignal>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

// The handler may only write to a descriptor; the notifier reads it on the
// user-interface thread.
int g_fds[2] = {-1, -1};

void onSignal(int)
{
    const char c = 1;
    [[maybe_unused]] const ssize_t n = ::write(g_fds[0], &c, 1);
}

} // namespace

bool TerminationWatcher::InstallHandler()
{
    if (g_fds[0] >= 0)
        return true;
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, g_fds) != 0)
        return false;
    struct sigaction action = {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
    return true;
}

TerminationWatcher::TerminationWatcher(QObject *pParent)
    : QObject(pParent)
{
    if (!InstallHandler())
        return;
    m_pNotifier = new QSocketNotifier(g_fds[1], QSocketNotifier::Read, this);
    connect(m_pNotifier, &QSocketNotifier::activated, this, &TerminationWatcher::Drain);
    // A signal that came before the watcher is answered once the loop runs.
    QMetaObject::invokeMethod(this, &TerminationWatcher::Drain, Qt::QueuedConnection);
}

TerminationWatcher::~TerminationWatcher()
{
    if (!m_pNotifier)
        return;
    std::signal(SIGTERM, SIG_DFL);
    std::signal(SIGINT, SIG_DFL);
    delete m_pNotifier;
    ::close(g_fds[0]);
    ::close(g_fds[1]);
    g_fds[0] = g_fds[1] = -1;
}

void TerminationWatcher::Drain()
{
    char buffer[16];
    ssize_t n;
    while ((n = ::read(g_fds[1], buffer, sizeof buffer)) > 0)
        for (ssize_t i = 0; i < n; ++i)
            emit Requested();
}
