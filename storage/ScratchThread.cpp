#include "ScratchThread.h"

#if defined(Q_OS_LINUX)
#include <cerrno>
#include <sys/resource.h>
#include <unistd.h>
#endif

ScratchThread::ScratchThread(QObject *pParent)
    : QThread(pParent)
{
    setObjectName(QStringLiteral("ScratchThread"));
}

void ScratchThread::Stop()
{
    quit();
    wait();
    (void)m_bFinished.load(std::memory_order_acquire);
}

void ScratchThread::run()
{
    setPriority(QThread::LowestPriority);
#if defined(Q_OS_LINUX)
    // Qt's priorities leave ordinary threads on Linux as they are; a
    // thread's own nice value is what the scheduler weighs. Ten steps down
    // gives painting nine tenths of a shared core, and still lets a read the
    // interface thread waits for get on when other programs are busy.
    errno = 0;
    const int nice = getpriority(PRIO_PROCESS, 0);
    if (errno == 0)
        setpriority(PRIO_PROCESS, id_t(gettid()), qMin(19, nice + 10));
#endif
    exec();
    m_bFinished.store(true, std::memory_order_release);
}
