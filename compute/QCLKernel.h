#pragma once
#include "QCLEvent.h"
#include "QCLMemoryObject.h"
#include "QCLVectorBase.h"
#include "QCLWorkSize.h"

#include <CL/cl.h>

class QCLContext;

// A kernel with its launch sizes; copies share the handle. Launched with the
// call form: kernel(a0, a1, ...) sets arguments 0, 1, ... and runs it.
class QCLKernel
{
public:
    QCLKernel() = default;
    // Takes over one reference to the kernel.
    QCLKernel(QCLContext *context, cl_kernel id) : m_context(context), m_id(id) {}
    QCLKernel(const QCLKernel &other);
    QCLKernel &operator=(const QCLKernel &other);
    ~QCLKernel();

    bool isNull() const { return m_id == nullptr; }
    cl_kernel kernelId() const { return m_id; }
    QCLContext *context() const { return m_context; }

    QCLWorkSize globalWorkSize() const { return m_global; }
    void setGlobalWorkSize(const QCLWorkSize &size) { m_global = size; }
    QCLWorkSize localWorkSize() const { return m_local; }
    void setLocalWorkSize(const QCLWorkSize &size) { m_local = size; }
    // Where the work-item ids start (none: at 0), so that a kernel can run
    // over a part of what it covers; kept for later runs like the sizes.
    QCLWorkSize globalWorkOffset() const { return m_offset; }
    void setGlobalWorkOffset(const QCLWorkSize &offset) { m_offset = offset; }

    // The largest work group this kernel can run with on the context's
    // default device (registers and local memory can make it smaller than
    // the device's own limit); 1 when unknown.
    size_t maximumWorkGroupSize() const;

    bool setArg(int index, cl_int value);
    bool setArg(int index, float value);
    bool setArg(int index, const QCLMemoryObject &value);
    bool setArg(int index, const QCLVectorBase &value);

    // Enqueues on the context's active queue; a null event on failure.
    QCLEvent run();

    template <typename... Args>
    QCLEvent operator()(const Args &...args)
    {
        if (!m_id)
            return run(); // refuses with one warning
        int index = 0;
        const bool ok = (setArg(index++, args) && ...);
        if (!ok)
            return QCLEvent();
        return run();
    }

private:
    bool setRawArg(int index, size_t size, const void *value);

    QCLContext *m_context = nullptr;
    cl_kernel m_id = nullptr;
    QCLWorkSize m_global = QCLWorkSize(1);
    QCLWorkSize m_local;
    QCLWorkSize m_offset;
};
