#pragma once
#include "QCLBuffer.h"
#include "QCLCommandQueue.h"
#include "QCLDevice.h"
#include "QCLProgram.h"
#include "QCLVector.h"

#include <CL/cl.h>
#include <QByteArray>
#include <QList>
#include <QString>
#include <atomic>

// The compute context: one per process in the program, though tests make
// their own. Every wrapper operation records its status here and reports a
// failure as one warning line: the operation's label and the error name.
class QCLContext
{
public:
    QCLContext() = default;
    QCLContext(const QCLContext &) = delete;
    QCLContext &operator=(const QCLContext &) = delete;
    ~QCLContext();

    // Creates the context over every device of the given types on all
    // platforms. Does nothing when already created.
    bool create(QCLDevice::DeviceTypes type = QCLDevice::Default);
    bool isCreated() const { return m_id != nullptr; }
    cl_context contextId() const { return m_id; }

    QCLDevice defaultDevice() const;
    QList<QCLDevice> devices() const;

    QCLCommandQueue defaultCommandQueue();
    QCLCommandQueue commandQueue();
    void setCommandQueue(const QCLCommandQueue &queue) { m_queue = queue; }
    // Handle of the queue every enqueue uses; null (after a warning) when
    // no queue can be made.
    cl_command_queue activeQueue();
    // A further in-order queue on the default device, for work submitted from
    // another thread (see QCLQueueScope).
    QCLCommandQueue createCommandQueue();

    QCLBuffer createBufferDevice(size_t size, QCLMemoryObject::Access access);
    QCLBuffer createBufferCopy(const void *data, size_t size, QCLMemoryObject::Access access);
    // A buffer over host memory that must outlive it (use-host-pointer); on a
    // CPU device kernels work on that memory directly.
    QCLBuffer createBufferHost(void *data, size_t size, QCLMemoryObject::Access access);

    template <typename T>
    QCLVector<T> createVector(int size, QCLMemoryObject::Access access = QCLMemoryObject::ReadWrite)
    {
        QCLVector<T> vector;
        vector.create(this, size, access);
        return vector;
    }

    // Lines `#include "name"` take in the file of that name from the same
    // folder (once per program).
    QCLProgram createProgramFromSourceFile(const QString &path);
    QCLProgram createProgramFromSourceCode(const QByteArray &source);
    QCLProgram buildProgramFromSourceFile(const QString &path);

    cl_int lastError() const { return m_lastError.load(); }
    void setLastError(cl_int code) { m_lastError.store(code); }

    static QString errorName(cl_int code);

    // Records the status in the context (when there is one) and writes the
    // warning when it is not success. Returns true on success.
    static bool reportError(QCLContext *context, const char *label, cl_int status);

private:
    cl_context m_id = nullptr;
    mutable QCLDevice m_defaultDevice;
    QCLCommandQueue m_queue;
    QCLCommandQueue m_defaultQueue;
    std::atomic<cl_int> m_lastError{CL_SUCCESS};
};

// While alive, every enqueue that this thread makes through `context` goes
// to `queue` instead of the context's active queue; scopes nest. Lets a
// worker thread run kernels without waiting behind the user-interface
// thread's queue. The queue must belong to the context.
class QCLQueueScope
{
public:
    QCLQueueScope(QCLContext &context, const QCLCommandQueue &queue);
    ~QCLQueueScope();
    QCLQueueScope(const QCLQueueScope &) = delete;
    QCLQueueScope &operator=(const QCLQueueScope &) = delete;

private:
    const QCLContext *m_previousContext;
    cl_command_queue m_previousQueue;
};
