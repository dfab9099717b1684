#include "QCLMemoryObject.h"

QCLMemoryObject::QCLMemoryObject(const QCLMemoryObject &other)
    : m_context(other.m_context), m_id(other.m_id)
{
    if (m_id)
        clRetainMemObject(m_id);
}

QCLMemoryObject &QCLMemoryObject::operator=(const QCLMemoryObject &other)
{
    if (other.m_id)
        clRetainMemObject(other.m_id);
    if (m_id)
        clReleaseMemObject(m_id);
    m_context = other.m_context;
    m_id = other.m_id;
    return *this;
}

QCLMemoryObject::~QCLMemoryObject()
{
    if (m_id)
        clReleaseMemObject(m_id);
}

size_t QCLMemoryObject::size() const
{
    size_t value = 0;
    if (!m_id || clGetMemObjectInfo(m_id, CL_MEM_SIZE, sizeof(value), &value, nullptr) != CL_SUCCESS)
        return 0;
    return value;
}
