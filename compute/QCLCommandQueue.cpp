#include "QCLCommandQueue.h"

QCLCommandQueue::QCLCommandQueue(const QCLCommandQueue &other)
    : m_context(other.m_context), m_id(other.m_id)
{
    if (m_id)
        clRetainCommandQueue(m_id);
}

QCLCommandQueue &QCLCommandQueue::operator=(const QCLCommandQueue &other)
{
    if (other.m_id)
        clRetainCommandQueue(other.m_id);
    if (m_id)
        clReleaseCommandQueue(m_id);
    m_context = other.m_context;
    m_id = other.m_id;
    return *this;
}

QCLCommandQueue::~QCLCommandQueue()
{
    if (m_id)
        clReleaseCommandQueue(m_id);
}
