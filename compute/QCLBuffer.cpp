#include "QCLBuffer.h"
#include "QCLContext.h"

bool QCLBuffer::read(size_t offset, void *data, size_t size)
{
    static const char label[] = "QCLBuffer::read:";
    if (!m_id || !m_context)
        return QCLContext::reportError(m_context, label, CL_INVALID_MEM_OBJECT);
    const cl_command_queue queue = m_context->activeQueue();
    if (!queue)
        return false;
    const cl_int status = clEnqueueReadBuffer(queue, m_id, CL_TRUE, offset, size, data, 0, nullptr, nullptr);
    return QCLContext::reportError(m_context, label, status);
}

bool QCLBuffer::write(size_t offset, const void *data, size_t size)
{
    static const char label[] = "QCLBuffer::write:";
    if (!m_id || !m_context)
        return QCLContext::reportError(m_context, label, CL_INVALID_MEM_OBJECT);
    const cl_command_queue queue = m_context->activeQueue();
    if (!queue)
        return false;
    const cl_int status = clEnqueueWriteBuffer(queue, m_id, CL_TRUE, offset, size, data, 0, nullptr, nullptr);
    return QCLContext::reportError(m_context, label, status);
}
