#include "QCLVectorBase.h"
#include "QCLContext.h"

QCLVectorBase::QCLVectorBase(const QCLVectorBase &other)
    : m_elementSize(other.m_elementSize), m_size(other.m_size), m_context(other.m_context), m_id(other.m_id)
{
    if (m_id)
        clRetainMemObject(m_id);
}

QCLVectorBase &QCLVectorBase::operator=(const QCLVectorBase &other)
{
    if (this == &other)
        return *this;
    if (other.m_id)
        clRetainMemObject(other.m_id);
    release();
    m_elementSize = other.m_elementSize;
    m_size = other.m_size;
    m_context = other.m_context;
    m_id = other.m_id;
    return *this;
}

QCLVectorBase::~QCLVectorBase()
{
    release();
}

void QCLVectorBase::release()
{
    unmap();
    if (m_id)
        clReleaseMemObject(m_id);
    m_id = nullptr;
    m_size = 0;
}

bool QCLVectorBase::create(QCLContext *context, int size, int access)
{
    static const char label[] = "QCLVector<T>::create:";
    release();
    m_context = context;
    if (!context || !context->isCreated())
        return QCLContext::reportError(context, label, CL_INVALID_CONTEXT);
    if (size <= 0)
        return QCLContext::reportError(context, label, CL_INVALID_BUFFER_SIZE);
    cl_int status = CL_INVALID_VALUE;
    cl_mem id = clCreateBuffer(context->contextId(), cl_mem_flags(access) | CL_MEM_ALLOC_HOST_PTR,
                               size_t(size) * m_elementSize, nullptr, &status);
    if (!QCLContext::reportError(context, label, status))
        return false;
    m_id = id;
    m_size = size_t(size);
    return true;
}

void *QCLVectorBase::map() const
{
    static const char label[] = "QCLVector<T>::map:";
    if (m_mapped)
        return m_mapped;
    if (!m_id || !m_context) {
        QCLContext::reportError(m_context, label, CL_INVALID_MEM_OBJECT);
        return nullptr;
    }
    const cl_command_queue queue = m_context->activeQueue();
    if (!queue)
        return nullptr;
    cl_int status = CL_INVALID_VALUE;
    void *ptr = clEnqueueMapBuffer(queue, m_id, CL_TRUE, CL_MAP_READ | CL_MAP_WRITE, 0,
                                   m_size * m_elementSize, 0, nullptr, nullptr, &status);
    if (!QCLContext::reportError(m_context, label, status))
        return nullptr;
    m_mapped = ptr;
    return m_mapped;
}

void QCLVectorBase::unmap() const
{
    if (!m_mapped)
        return;
    void *ptr = m_mapped;
    m_mapped = nullptr;
    const cl_command_queue queue = m_context ? m_context->activeQueue() : nullptr;
    if (!queue)
        return;
    const cl_int status = clEnqueueUnmapMemObject(queue, m_id, ptr, 0, nullptr, nullptr);
    QCLContext::reportError(m_context, "QCLVector<T>::unmap:", status);
}

cl_mem QCLVectorBase::kernelArg() const
{
    unmap();
    return m_id;
}
