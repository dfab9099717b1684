#pragma once
#include <CL/cl.h>

class QCLContext;

// One OpenCL event; copies share the handle.
class QCLEvent
{
public:
    QCLEvent() = default;
    // Takes over one reference to the event.
    QCLEvent(QCLContext *context, cl_event id) : m_context(context), m_id(id) {}
    QCLEvent(const QCLEvent &other);
    QCLEvent &operator=(const QCLEvent &other);
    ~QCLEvent();

    bool isNull() const { return m_id == nullptr; }
    cl_event eventId() const { return m_id; }
    bool waitForFinished();

private:
    QCLContext *m_context = nullptr;
    cl_event m_id = nullptr;
};
