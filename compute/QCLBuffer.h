#pragma once
#include "QCLMemoryObject.h"

// A linear device buffer. Transfers are blocking and go through the
// context's active command queue.
class QCLBuffer : public QCLMemoryObject
{
public:
    QCLBuffer() = default;
    QCLBuffer(QCLContext *context, cl_mem id) : QCLMemoryObject(context, id) {}

    bool read(size_t offset, void *data, size_t size);
    bool read(void *data, size_t size) { return read(0, data, size); }
    bool write(size_t offset, const void *data, size_t size);
    bool write(const void *data, size_t size) { return write(0, data, size); }

    enum MapAccess { MapRead = 0x1, MapWrite = 0x2 };
    // Blocking map of `size` bytes at `offset`; null on failure. For a buffer
    // over host memory the pointer lies in that memory, which then holds
    // what the device wrote. Every map needs its unmap.
    void *map(size_t offset, size_t size, MapAccess access);
    bool unmap(void *ptr);
};
