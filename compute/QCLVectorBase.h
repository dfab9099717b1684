#pragma once
#include <CL/cl.h>
#include <cstddef>

class QCLContext;

// Untyped storage of QCLVector<T>: a host-allocated buffer that is mapped
// while the host touches elements and unmapped before a kernel sees it.
class QCLVectorBase
{
public:
    QCLVectorBase(const QCLVectorBase &other);
    QCLVectorBase &operator=(const QCLVectorBase &other);
    ~QCLVectorBase();

    bool isNull() const { return m_id == nullptr; }
    int size() const { return int(m_size); }
    cl_mem memoryId() const { return m_id; }
    QCLContext *context() const { return m_context; }
    bool isMapped() const { return m_mapped != nullptr; }

    // Unmaps and releases the storage.
    void release();
    // Unmaps, so that a kernel sees the host's writes, and returns the handle.
    cl_mem kernelArg() const;

protected:
    explicit QCLVectorBase(size_t elementSize) : m_elementSize(elementSize) {}

    bool create(QCLContext *context, int size, int access);
    // Maps the whole buffer for reading and writing; null on failure.
    void *map() const;
    void unmap() const;

private:
    size_t m_elementSize;
    size_t m_size = 0;
    QCLContext *m_context = nullptr;
    cl_mem m_id = nullptr;
    mutable void *m_mapped = nullptr;
};
