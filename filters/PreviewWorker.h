#pragma once
// Runs filter previews on a thread of their own, one at a time. A job posted
// while another still waits replaces it, so when controls move faster than
// previews finish only the latest values are computed.
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

class PreviewWorker
{
public:
    using Job = std::function<void()>;

    PreviewWorker() = default;
    // Lets a running job finish; a waiting one is dropped.
    ~PreviewWorker();
    PreviewWorker(const PreviewWorker &) = delete;
    PreviewWorker &operator=(const PreviewWorker &) = delete;

    void Post(Job job);
    // Forgets the waiting job, if any.
    void Drop();
    bool HasPending() const;

    // In manual mode no thread runs: posted jobs wait until the caller takes
    // or runs them, so tests can order every step.
    void SetManual(bool bManual);
    bool IsManual() const;
    // The waiting job, removed (an empty function when there is none).
    Job TakePending();
    // Runs the waiting job on the calling thread; false when there was none.
    bool RunPending();

private:
    void Loop();

    mutable std::mutex m_mutex;
    std::condition_variable m_wake;
    Job m_pending;
    bool m_bStop = false;
    bool m_bManual = false;
    std::thread m_thread;
};
