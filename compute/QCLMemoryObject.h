#pragma once
#include <CL/cl.h>

class QCLContext;

// A memory object of a context; copies share the handle.
class QCLMemoryObject
{
public:
    enum Access { ReadWrite = 0x0001, WriteOnly = 0x0002, ReadOnly = 0x0004 };

    QCLMemoryObject() = default;
    // Takes over one reference to the memory object.
    QCLMemoryObject(QCLContext *context, cl_mem id) : m_context(context), m_id(id) {}
    QCLMemoryObject(const QCLMemoryObject &other);
    QCLMemoryObject &operator=(const QCLMemoryObject &other);
    ~QCLMemoryObject();

    bool isNull() const { return m_id == nullptr; }
    cl_mem memoryId() const { return m_id; }
    QCLContext *context() const { return m_context; }
    // Size of the object in bytes; 0 for a null object.
    size_t size() const;

protected:
    QCLContext *m_context = nullptr;
    cl_mem m_id = nullptr;
};
