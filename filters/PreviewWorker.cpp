#include "PreviewWorker.h"

PreviewWorker::~PreviewWorker()
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_bStop = true;
        m_pending = nullptr;
    }
    m_wake.notify_all();
    if (m_thread.joinable())
        m_thread.join();
}

void PreviewWorker::Post(Job job)
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_pending = std::move(job);
        if (!m_bManual && !m_thread.joinable())
            m_thread = std::thread([this] { Loop(); });
    }
    m_wake.notify_one();
}

void PreviewWorker::Drop()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_pending = nullptr;
}

bool PreviewWorker::HasPending() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return bool(m_pending);
}

void PreviewWorker::SetManual(bool bManual)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_bManual = bManual;
}

bool PreviewWorker::IsManual() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_bManual;
}

PreviewWorker::Job PreviewWorker::TakePending()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    Job job = std::move(m_pending);
    m_pending = nullptr;
    return job;
}

bool PreviewWorker::RunPending()
{
    Job job = TakePending();
    if (!job)
        return false;
    job();
    return true;
}

void PreviewWorker::Loop()
{
    std::unique_lock<std::mutex> lock(m_mutex);
    for (;;) {
        m_wake.wait(lock, [this] { return m_bStop || (m_pending && !m_bManual); });
        if (m_bStop)
            return;
        Job job = std::move(m_pending);
        m_pending = nullptr;
        lock.unlock();
        job();
        job = nullptr; // drop what it holds before waiting again
        lock.lock();
    }
}
