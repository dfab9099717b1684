#include "QCLKernel.h"
#include "QCLContext.h"

QCLKernel::QCLKernel(const QCLKernel &other)
    : m_context(other.m_context), m_id(other.m_id), m_global(other.m_global), m_local(other.m_local)
{
    if (m_id)
        clRetainKernel(m_id);
}

QCLKernel &QCLKernel::operator=(const QCLKernel &other)
{
    if (other.m_id)
        clRetainKernel(other.m_id);
    if (m_id)
        clReleaseKernel(m_id);
    m_context = other.m_context;
    m_id = other.m_id;
    m_global = other.m_global;
    m_local = other.m_local;
    return *this;
}

QCLKernel::~QCLKernel()
{
    if (m_id)
        clReleaseKernel(m_id);
}

size_t QCLKernel::maximumWorkGroupSize() const
{
    if (!m_id || !m_context)
        return 1;
    size_t size = 0;
    const cl_int status = clGetKernelWorkGroupInfo(m_id, m_context->defaultDevice().deviceId(),
                                                   CL_KERNEL_WORK_GROUP_SIZE, sizeof(size), &size, nullptr);
    return status == CL_SUCCESS && size > 0 ? size : 1;
}

bool QCLKernel::setRawArg(int index, size_t size, const void *value)
{
    static const char label[] = "QCLKernel::setArg:";
    if (!m_id)
        return QCLContext::reportError(m_context, label, CL_INVALID_KERNEL);
    return QCLContext::reportError(m_context, label, clSetKernelArg(m_id, cl_uint(index), size, value));
}

bool QCLKernel::setArg(int index, cl_int value)
{
    return setRawArg(index, sizeof(value), &value);
}

bool QCLKernel::setArg(int index, float value)
{
    return setRawArg(index, sizeof(value), &value);
}

bool QCLKernel::setArg(int index, const QCLMemoryObject &value)
{
    const cl_mem id = value.memoryId();
    return setRawArg(index, sizeof(id), &id);
}

bool QCLKernel::setArg(int index, const QCLVectorBase &value)
{
    const cl_mem id = value.kernelArg();
    return setRawArg(index, sizeof(id), &id);
}

QCLEvent QCLKernel::run()
{
    static const char label[] = "QCLKernel::run:";
    // Never hand a null kernel to the driver: some crash on it.
    if (!m_id || !m_context) {
        QCLContext::reportError(m_context, label, CL_INVALID_KERNEL);
        return QCLEvent();
    }
    const cl_command_queue queue = m_context->activeQueue();
    if (!queue)
        return QCLEvent();
    cl_event event = nullptr;
    const cl_int status = clEnqueueNDRangeKernel(queue, m_id, cl_uint(m_global.dimensions()),
                                                 m_offset.dimensions() > 0 ? m_offset.sizes() : nullptr,
                                                 m_global.sizes(),
                                                 m_local.dimensions() > 0 ? m_local.sizes() : nullptr, 0,
                                                 nullptr, &event);
    if (!QCLContext::reportError(m_context, label, status))
        return QCLEvent();
    return QCLEvent(m_context, event);
}
