#include "FilterBuffers.h"
#include "QCLContext.h"

#include <cstdlib>
#if defined(__linux__)
#include <sys/mman.h>
#endif

FilterBuffers::FilterBuffers(QCLContext &context, const QImage &input) : m_context(context), m_input(input)
{
    Q_ASSERT(input.format() == QImage::Format_ARGB32);
    // The device only reads it; constBits() keeps the image shared.
    m_inputBuffer = context.createBufferHost(const_cast<uchar *>(m_input.constBits()), size_t(m_input.sizeInBytes()),
                                             QCLMemoryObject::ReadOnly);
}

QCLBuffer FilterBuffers::scratch(int slot, size_t bytes)
{
    QCLBuffer &buffer = m_scratch[slot];
    if (buffer.isNull() || buffer.size() < bytes)
        buffer = m_context.createBufferDevice(bytes, QCLMemoryObject::ReadWrite);
    return buffer;
}

FilterBuffers::Output FilterBuffers::takeOutput()
{
    {
        std::lock_guard<std::mutex> lock(m_poolLock);
        if (!m_pool.isEmpty())
            return m_pool.takeLast();
        ++m_outputsMade;
    }
    Output output;
    output.image = alignedImage(width(), height());
    if (output.image.isNull())
        return output;
    output.buffer = m_context.createBufferHost(output.image.bits(), size_t(output.image.sizeInBytes()),
                                               QCLMemoryObject::WriteOnly);
    return output;
}

void FilterBuffers::giveBack(Output &&output)
{
    Output returned = std::move(output);
    if (returned.isNull() || !returned.image.isDetached())
        return;
    std::lock_guard<std::mutex> lock(m_poolLock);
    m_pool.append(std::move(returned));
}

int FilterBuffers::outputsMade() const
{
    std::lock_guard<std::mutex> lock(m_poolLock);
    return m_outputsMade;
}

bool FilterBuffers::fetch(Output &output)
{
    if (output.isNull())
        return false;
    const size_t bytes = size_t(output.image.sizeInBytes());
    void *mapped = output.buffer.map(0, bytes, QCLBuffer::MapRead);
    if (!mapped)
        return false;
    // A buffer over host memory maps onto that memory.
    Q_ASSERT(mapped == output.image.constBits());
    return output.buffer.unmap(mapped);
}

QImage FilterBuffers::alignedImage(int width, int height)
{
    if (width <= 0 || height <= 0)
        return QImage();
    const size_t bytes = size_t(width) * size_t(height) * 4;
    // Large results go on huge pages where the system offers them: a fresh
    // 64 MiB image then costs a few dozen page faults instead of thousands.
    constexpr size_t kHuge = size_t(2) << 20;
    const size_t align = bytes >= 2 * kHuge ? kHuge : 4096;
    const size_t rounded = (bytes + align - 1) / align * align;
    void *memory = std::aligned_alloc(align, rounded);
    if (!memory)
        return QImage();
#if defined(__linux__) && defined(MADV_HUGEPAGE)
    if (align == kHuge)
        madvise(memory, rounded, MADV_HUGEPAGE);
#endif
    return QImage(static_cast<uchar *>(memory), width, height, width * 4, QImage::Format_ARGB32,
                  [](void *pMemory) { std::free(pMemory); }, memory);
}
