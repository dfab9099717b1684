#pragma once
#include <QThread>

#include <atomic>

// The scratch store's worker thread: an event loop at the lowest priority so
// that spilling snapshots never competes with painting.
class ScratchThread : public QThread
{
    Q_OBJECT
public:
    explicit ScratchThread(QObject *pParent = nullptr);

    // Ends the event loop and waits for the thread; afterwards everything
    // the thread did is visible to the caller.
    void Stop();

protected:
    void run() override;

private:
    // Makes the end of run() a point the thread checker can see; Qt's own
    // wait() is built on locks it cannot.
    std::atomic<bool> m_bFinished{false};
};
