#include "ScratchThread.h"

ScratchThread::ScratchThread(QObject *pParent)
    : QThread(pParent)
{
    setObjectName(QStringLiteral("ScratchThread"));
}

void ScratchThread::run()
{
    setPriority(QThread::LowestPriority);
    exec();
}
