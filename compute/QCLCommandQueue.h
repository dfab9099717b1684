#pragma once
#include <CL/cl.h>

class QCLContext;

// One command queue; copies share the handle.
class QCLCommandQueue
{
public:
    QCLCommandQueue() = default;
    // Takes over one reference to the queue.
    QCLCommandQueue(QCLContext *context, cl_command_queue id) : m_context(context), m_id(id) {}
    QCLCommandQueue(const QCLCommandQueue &other);
    QCLCommandQueue &operator=(const QCLCommandQueue &other);
    ~QCLCommandQueue();

    bool isNull() const { return m_id == nullptr; }
    cl_command_queue queueId() const { return m_id; }
    QCLContext *context() const { return m_context; }

private:
    QCLContext *m_context = nullptr;
    cl_command_queue m_id = nullptr;
};
