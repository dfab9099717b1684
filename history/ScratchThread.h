#pragma once
#include <QThread>

// The scratch store's worker thread: an event loop at the lowest priority so
// that spilling snapshots never competes with painting.
class ScratchThread : public QThread
{
    Q_OBJECT
public:
    explicit ScratchThread(QObject *pParent = nullptr);

protected:
    void run() override;
};
