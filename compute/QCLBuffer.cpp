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

void *QCLBuffer::map(size_t offset, size_t size, MapAccess access)
{
    static const char label[] = "QCLBuffer::map:";
    if (!m_id || !m_context) {
        QCLContext::reportError(m_context, label, CL_INVALID_MEM_OBJECT);
        return nullptr;
    }
    const cl_command_queue queue = m_context->activeQueue();
    if (!queue)
        return nullptr;
    cl_int status = CL_INVALID_VALUE;
    void *ptr = clEnqueueMapBuffer(queue, m_id, CL_TRUE, cl_map_flags(access), offset, size, 0, nullptr, nullptr,
                                   &status);
    if (!QCLContext::reportError(m_context, label, status))
        return nullptr;
    return ptr;
}

bool QCLBuffer::unmap(void *ptr)
{
    static const char label[] = "QCLBuffer::unmap:";
    if (!m_id || !m_context || !ptr)
        return QCLContext::reportError(m_context, label, CL_INVALID_VALUE);
    const cl_command_queue queue = m_context->activeQueue();
    if (!queue)
        return false;
    return QCLContext::reportError(m_context, label, clEnqueueUnmapMemObject(queue, m_id, ptr, 0, nullptr, nullptr));
}
