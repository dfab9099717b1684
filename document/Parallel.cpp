#include "Parallel.h"

#include <QThread>
#include <QThreadPool>

void runParallel(const QList<std::function<void()>> &jobs)
{
    if (jobs.size() <= 1) {
        for (const auto &job : jobs)
            job();
        return;
    }
    QThreadPool pool;
    pool.setMaxThreadCount(qMin(int(jobs.size()), qMax(1, QThread::idealThreadCount())));
    for (const auto &job : jobs)
        pool.start(job);
    pool.waitForDone();
}
