#include "FilterBuffers.h"
#include "QCLContext.h"
#include "QCLDevice.h"

#include <cstdlib>
#include <utility>
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
    if (!buffer.isNull() && buffer.size() >= bytes)
        return buffer;
    buffer = QCLBuffer();
    m_kept.remove(slot);
    // On a CPU device a large intermediate lives in a kept block like the
    // results, so that it is not allocated and faulted in on every run.
    if (bytes >= kHostScratch && (m_context.defaultDevice().deviceType() & QCLDevice::CPU)) {
        QImage &memory = m_scratchMemory[slot];
        memory = alignedImage(1024, int((bytes + 4095) / 4096));
        if (!memory.isNull())
            buffer = m_context.createBufferHost(memory.bits(), bytes, QCLMemoryObject::ReadWrite);
        return buffer;
    }
    buffer = m_context.createBufferDevice(bytes, QCLMemoryObject::ReadWrite);
    return buffer;
}

QRegion FilterBuffers::scratchKept(int slot, quint64 key) const
{
    const auto found = m_kept.constFind(slot);
    return found != m_kept.constEnd() && found->first == key ? found->second : QRegion();
}

void FilterBuffers::setScratchKept(int slot, quint64 key, const QRegion &region)
{
    m_kept[slot] = {key, region};
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

bool FilterBuffers::fetch(Output &output, const QRect &area)
{
    if (output.isNull())
        return false;
    const size_t row = size_t(output.image.bytesPerLine());
    const size_t offset = area.isEmpty() ? 0 : size_t(area.top()) * row;
    const size_t bytes = area.isEmpty() ? size_t(output.image.sizeInBytes()) : size_t(area.height()) * row;
    void *mapped = output.buffer.map(offset, bytes, QCLBuffer::MapRead);
    if (!mapped)
        return false;
    // A buffer over host memory maps onto that memory.
    Q_ASSERT(mapped == output.image.constBits() + offset);
    return output.buffer.unmap(mapped);
}

namespace {

// Freed result blocks kept for the next result of the same size. A fresh
// 64 MiB block costs thousands of page faults when the kernel first writes
// it, as long as a per-pixel kernel itself; on huge pages it costs a few
// milliseconds, or over a hundred where the system first has to compact
// memory to find them. A block already touched costs nothing. An open
// filter dialog holds its result, its intermediates, the image the window
// shows and the next one it hands over, so six are kept; the longest kept
// goes first. Blocks under 4 MiB are cheap to fault in and never push out
// a large one; blocks over 64 MiB (pictures over 4096 x 4096) are not kept.
struct Block {
    void *memory = nullptr;
    size_t bytes = 0;
    quint64 stamp = 0;
};
constexpr int kKeptBlocks = 6;
constexpr size_t kKeptMin = size_t(4) << 20;
constexpr size_t kKeptMax = size_t(64) << 20;
std::mutex g_keptLock;
Block g_kept[kKeptBlocks];
quint64 g_keptStamp = 0;

void *takeKept(size_t bytes)
{
    std::lock_guard<std::mutex> lock(g_keptLock);
    for (Block &block : g_kept)
        if (block.memory && block.bytes == bytes)
            return std::exchange(block.memory, nullptr);
    return nullptr;
}

void release(void *pInfo)
{
    Block *pBlock = static_cast<Block *>(pInfo);
    void *evicted = pBlock->memory;
    if (pBlock->bytes >= kKeptMin && pBlock->bytes <= kKeptMax) {
        std::lock_guard<std::mutex> lock(g_keptLock);
        // An empty slot, else the one kept longest.
        Block *pSlot = &g_kept[0];
        for (Block &block : g_kept)
            if (!block.memory || (pSlot->memory && block.stamp < pSlot->stamp))
                pSlot = &block;
        evicted = std::exchange(pSlot->memory, pBlock->memory);
        pSlot->bytes = pBlock->bytes;
        pSlot->stamp = ++g_keptStamp;
    }
    std::free(evicted);
    delete pBlock;
}

} // namespace

QImage FilterBuffers::alignedImage(int width, int height)
{
    if (width <= 0 || height <= 0)
        return QImage();
    const size_t bytes = size_t(width) * size_t(height) * 4;
    // Large results that are kept go on huge pages where the system offers
    // them: a fresh 64 MiB image then costs a few dozen page faults instead
    // of thousands. Larger ones are faulted in once and freed, and finding
    // hundreds of huge pages can make the system compact memory for seconds.
    constexpr size_t kHuge = size_t(2) << 20;
    const size_t align = bytes >= 2 * kHuge ? kHuge : 4096;
    const size_t rounded = (bytes + align - 1) / align * align;
    void *memory = takeKept(rounded);
    if (!memory) {
        memory = std::aligned_alloc(align, rounded);
        if (!memory)
            return QImage();
#if defined(__linux__) && defined(MADV_HUGEPAGE)
        if (align == kHuge && rounded <= kKeptMax)
            madvise(memory, rounded, MADV_HUGEPAGE);
#endif
    }
    return QImage(static_cast<uchar *>(memory), width, height, width * 4, QImage::Format_ARGB32, release,
                  new Block{memory, rounded});
}
