#include "ScratchThread.h"

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
    exec();
    m_bFinished.store(true, std::memory_order_release);
}
