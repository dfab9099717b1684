#pragma once
// Device buffers for one filter run or one open filter dialog. The input
// image's own memory backs the read-only input buffer and each output image
// backs its output buffer, so a CPU device reads and writes them in place
// and a GPU copies them once. Intermediate buffers are made on first use
// and kept, so a dialog's previews allocate nothing after the first.
#include "QCLBuffer.h"

#include <QImage>
#include <QList>
#include <QMap>
#include <QRegion>
#include <mutex>

class QCLContext;

class FilterBuffers
{
public:
    // `input` must be 32-bit ARGB; it is kept (shared, never written).
    FilterBuffers(QCLContext &context, const QImage &input);

    QCLContext &context() const { return m_context; }
    const QImage &input() const { return m_input; }
    int width() const { return m_input.width(); }
    int height() const { return m_input.height(); }
    size_t pixelCount() const { return size_t(width()) * size_t(height()); }
    // Null when the device refused the buffer.
    const QCLBuffer &inputBuffer() const { return m_inputBuffer; }

    // A device buffer of at least `bytes` bytes kept under `slot`; made again
    // when a larger one is asked for. Null on failure.
    QCLBuffer scratch(int slot, size_t bytes);
    // Where the scratch buffer of a slot already holds what `key` stands
    // for (a pass of a filter with given values), so that parts computed
    // one after another share it; empty for any other key, and after the
    // buffer is made again.
    QRegion scratchKept(int slot, quint64 key) const;
    void setScratchKept(int slot, quint64 key, const QRegion &region);

    // An output image of the input's size with its device buffer.
    struct Output {
        QImage image;
        QCLBuffer buffer;
        bool isNull() const { return buffer.isNull(); }
    };
    // Reuses a returned output whose image nobody else holds, else makes one.
    Output takeOutput();
    // Hands an output back for reuse. One whose image is still shared (a
    // caller kept a copy) is dropped instead, so that copy never changes.
    void giveBack(Output &&output);
    // How many outputs were made so far (a dialog that recycles stays low).
    int outputsMade() const;

    // Waits for the device and makes the output's image hold its result
    // (the rows of `area` only, when one is given).
    static bool fetch(Output &output, const QRect &area = QRect());

    // A 32-bit ARGB image whose rows are contiguous and whose memory is
    // page-aligned, which lets a CPU device use it without copying.
    static QImage alignedImage(int width, int height);

private:
    static constexpr size_t kHostScratch = size_t(1) << 20;

    QCLContext &m_context;
    QImage m_input;
    QCLBuffer m_inputBuffer;
    // Host memory behind large scratch buffers on a CPU device; declared
    // first so that the buffers over it go first.
    QMap<int, QImage> m_scratchMemory;
    QMap<int, QCLBuffer> m_scratch;
    QMap<int, QPair<quint64, QRegion>> m_kept;
    mutable std::mutex m_poolLock;
    QList<Output> m_pool;
    int m_outputsMade = 0;
};
