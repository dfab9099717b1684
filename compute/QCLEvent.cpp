#include "QCLEvent.h"
#include "QCLContext.h"

QCLEvent::QCLEvent(const QCLEvent &other) : m_context(other.m_context), m_id(other.m_id)
{
    if (m_id)
        clRetainEvent(m_id);
}

QCLEvent &QCLEvent::operator=(const QCLEvent &other)
{
    if (other.m_id)
        clRetainEvent(other.m_id);
    if (m_id)
        clReleaseEvent(m_id);
    m_context = other.m_context;
    m_id = other.m_id;
    return *this;
}

QCLEvent::~QCLEvent()
{
    if (m_id)
        clReleaseEvent(m_id);
}

bool QCLEvent::waitForFinished()
{
    if (!m_id)
        return QCLContext::reportError(m_context, "QCLEvent::waitForFinished:", CL_INVALID_EVENT);
    return QCLContext::reportError(m_context, "QCLEvent::waitForFinished:", clWaitForEvents(1, &m_id));
}
