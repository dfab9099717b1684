#include "QCLContext.h"

#include <QFile>
#include <QtGlobal>
#include <vector>

namespace {
// The queue a QCLQueueScope put in place on this thread, and its context.
thread_local const QCLContext *t_scopeContext = nullptr;
thread_local cl_command_queue t_scopeQueue = nullptr;
} // namespace

QCLQueueScope::QCLQueueScope(QCLContext &context, const QCLCommandQueue &queue)
    : m_previousContext(t_scopeContext), m_previousQueue(t_scopeQueue)
{
    t_scopeContext = &context;
    t_scopeQueue = queue.queueId();
}

QCLQueueScope::~QCLQueueScope()
{
    t_scopeContext = m_previousContext;
    t_scopeQueue = m_previousQueue;
}

QCLContext::~QCLContext()
{
    // Queues hold the context, so drop them first.
    m_queue = QCLCommandQueue();
    m_defaultQueue = QCLCommandQueue();
    if (m_id)
        clReleaseContext(m_id);
}

static void CL_CALLBACK contextNotify(const char *errinfo, const void *, size_t, void *)
{
    qWarning("OpenCL context notification: %s", errinfo);
}

bool QCLContext::create(QCLDevice::DeviceTypes type)
{
    if (m_id)
        return true;
    const QList<QCLDevice> devs = QCLDevice::devices(type);
    cl_int status = CL_DEVICE_NOT_FOUND;
    if (!devs.isEmpty()) {
        std::vector<cl_device_id> ids;
        for (const QCLDevice &d : devs)
            ids.push_back(d.deviceId());
        const cl_context_properties props[] = {
            CL_CONTEXT_PLATFORM,
            cl_context_properties(devs.first().platform().platformId()),
            0};
        m_id = clCreateContext(props, cl_uint(ids.size()), ids.data(), contextNotify, nullptr, &status);
        if (status != CL_SUCCESS && m_id) {
            clReleaseContext(m_id);
            m_id = nullptr;
        }
    }
    m_lastError = status;
    if (!m_id) {
        qWarning("QCLContext::create(type:%u): %s", type.toInt(), qPrintable(errorName(status)));
        return false;
    }
    return true;
}

QCLDevice QCLContext::defaultDevice() const
{
    if (!m_id)
        return QCLDevice();
    if (m_defaultDevice.isNull()) {
        const QList<QCLDevice> devs = devices();
        if (!devs.isEmpty())
            m_defaultDevice = devs.first();
    }
    return m_defaultDevice;
}

QList<QCLDevice> QCLContext::devices() const
{
    QList<QCLDevice> result;
    if (!m_id)
        return result;
    size_t size = 0;
    if (clGetContextInfo(m_id, CL_CONTEXT_DEVICES, 0, nullptr, &size) != CL_SUCCESS || size == 0)
        return result;
    std::vector<cl_device_id> ids(size / sizeof(cl_device_id));
    if (clGetContextInfo(m_id, CL_CONTEXT_DEVICES, size, ids.data(), nullptr) != CL_SUCCESS)
        return result;
    for (cl_device_id id : ids)
        result.append(QCLDevice(id));
    return result;
}

QCLCommandQueue QCLContext::defaultCommandQueue()
{
    static const char label[] = "QCLContext::defaultCommandQueue:";
    if (!m_defaultQueue.isNull())
        return m_defaultQueue;
    if (!m_id) {
        reportError(this, label, CL_INVALID_CONTEXT);
        return QCLCommandQueue();
    }
    const QCLDevice dev = defaultDevice();
    cl_int status = CL_INVALID_DEVICE;
    cl_command_queue queue = nullptr;
    if (!dev.isNull())
        queue = clCreateCommandQueue(m_id, dev.deviceId(), 0, &status);
    if (!reportError(this, label, status)) {
        if (queue)
            clReleaseCommandQueue(queue);
        return QCLCommandQueue();
    }
    m_defaultQueue = QCLCommandQueue(this, queue);
    return m_defaultQueue;
}

QCLCommandQueue QCLContext::commandQueue()
{
    if (!m_queue.isNull())
        return m_queue;
    return defaultCommandQueue();
}

cl_command_queue QCLContext::activeQueue()
{
    if (t_scopeContext == this && t_scopeQueue)
        return t_scopeQueue;
    if (!m_queue.isNull())
        return m_queue.queueId();
    return defaultCommandQueue().queueId();
}

QCLCommandQueue QCLContext::createCommandQueue()
{
    static const char label[] = "QCLContext::createCommandQueue:";
    const QCLDevice dev = defaultDevice();
    if (!m_id || dev.isNull()) {
        reportError(this, label, m_id ? CL_INVALID_DEVICE : CL_INVALID_CONTEXT);
        return QCLCommandQueue();
    }
    cl_int status = CL_INVALID_VALUE;
    cl_command_queue queue = clCreateCommandQueue(m_id, dev.deviceId(), 0, &status);
    if (!reportError(this, label, status)) {
        if (queue)
            clReleaseCommandQueue(queue);
        return QCLCommandQueue();
    }
    return QCLCommandQueue(this, queue);
}

QCLBuffer QCLContext::createBufferDevice(size_t size, QCLMemoryObject::Access access)
{
    static const char label[] = "QCLContext::createBufferDevice:";
    if (!m_id) {
        reportError(this, label, CL_INVALID_CONTEXT);
        return QCLBuffer();
    }
    cl_int status = CL_INVALID_VALUE;
    cl_mem id = clCreateBuffer(m_id, cl_mem_flags(access), size, nullptr, &status);
    if (!reportError(this, label, status))
        return QCLBuffer();
    return QCLBuffer(this, id);
}

QCLBuffer QCLContext::createBufferCopy(const void *data, size_t size, QCLMemoryObject::Access access)
{
    static const char label[] = "QCLContext::createBufferCopy:";
    if (!m_id) {
        reportError(this, label, CL_INVALID_CONTEXT);
        return QCLBuffer();
    }
    cl_int status = CL_INVALID_VALUE;
    cl_mem id = clCreateBuffer(m_id, cl_mem_flags(access) | CL_MEM_COPY_HOST_PTR, size,
                               const_cast<void *>(data), &status);
    if (!reportError(this, label, status))
        return QCLBuffer();
    return QCLBuffer(this, id);
}

QCLBuffer QCLContext::createBufferHost(void *data, size_t size, QCLMemoryObject::Access access)
{
    static const char label[] = "QCLContext::createBufferHost:";
    if (!m_id) {
        reportError(this, label, CL_INVALID_CONTEXT);
        return QCLBuffer();
    }
    cl_int status = CL_INVALID_VALUE;
    cl_mem id = clCreateBuffer(m_id, cl_mem_flags(access) | CL_MEM_USE_HOST_PTR, size, data, &status);
    if (!reportError(this, label, status))
        return QCLBuffer();
    return QCLBuffer(this, id);
}

namespace {

// The source of `path` with every line `#include "name"` replaced by the
// file of that name beside it (each file once), so that kernel files can
// share helpers. Sources kept as resources have no folder a compiler could
// search. False when a file cannot be read.
bool readSource(const QString &path, QByteArray *pSource, QStringList *pSeen, QString *pMissing)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *pMissing = path;
        return false;
    }
    pSeen->append(path);
    const QByteArray fileName = path.mid(path.lastIndexOf(QLatin1Char('/')) + 1).toUtf8();
    const QString folder = path.left(path.lastIndexOf(QLatin1Char('/')) + 1);
    const QList<QByteArray> lines = file.readAll().split('\n');
    for (int i = 0; i < lines.size(); ++i) {
        const QByteArray line = lines[i].trimmed();
        if (line.startsWith("#include \"") && line.endsWith('"') && line.size() > 11) {
            const QByteArray name = line.mid(10, line.size() - 11);
            const QString included = folder + QString::fromUtf8(name);
            if (pSeen->contains(included)) {
                *pSource += '\n';
                continue;
            }
            // Build logs then name the file and line that failed.
            *pSource += "#line 1 \"" + name + "\"\n";
            if (!readSource(included, pSource, pSeen, pMissing))
                return false;
            *pSource += "\n#line " + QByteArray::number(i + 2) + " \"" + fileName + "\"\n";
            continue;
        }
        *pSource += lines[i];
        if (i + 1 < lines.size())
            *pSource += '\n';
    }
    return true;
}

} // namespace

QCLProgram QCLContext::createProgramFromSourceFile(const QString &path)
{
    QByteArray source;
    QStringList seen;
    QString missing;
    if (!readSource(path, &source, &seen, &missing)) {
        qWarning("QCLContext::createProgramFromSourceFile: Unable to open file %s", qPrintable(missing));
        return QCLProgram();
    }
    return createProgramFromSourceCode(source);
}

QCLProgram QCLContext::createProgramFromSourceCode(const QByteArray &source)
{
    static const char label[] = "QCLContext::createProgramFromSourceCode:";
    if (!m_id) {
        reportError(this, label, CL_INVALID_CONTEXT);
        return QCLProgram();
    }
    const char *text = source.constData();
    const size_t length = size_t(source.size());
    cl_int status = CL_INVALID_VALUE;
    cl_program id = clCreateProgramWithSource(m_id, 1, &text, &length, &status);
    if (!reportError(this, label, status))
        return QCLProgram();
    return QCLProgram(this, id);
}

QCLProgram QCLContext::buildProgramFromSourceFile(const QString &path)
{
    QCLProgram program = createProgramFromSourceFile(path);
    if (program.isNull() || !program.build())
        return QCLProgram();
    return program;
}

bool QCLContext::reportError(QCLContext *context, const char *label, cl_int status)
{
    if (context)
        context->m_lastError = status;
    if (status == CL_SUCCESS)
        return true;
    qWarning("%s %s", label, qPrintable(errorName(status)));
    return false;
}

QString QCLContext::errorName(cl_int code)
{
    switch (code) {
    case 0: return QStringLiteral("CL_SUCCESS");
    case -1: return QStringLiteral("CL_DEVICE_NOT_FOUND");
    case -2: return QStringLiteral("CL_DEVICE_NOT_AVAILABLE");
    case -3: return QStringLiteral("CL_COMPILER_NOT_AVAILABLE");
    case -4: return QStringLiteral("CL_MEM_OBJECT_ALLOCATION_FAILURE");
    case -5: return QStringLiteral("CL_OUT_OF_RESOURCES");
    case -6: return QStringLiteral("CL_OUT_OF_HOST_MEMORY");
    case -7: return QStringLiteral("CL_PROFILING_INFO_NOT_AVAILABLE");
    case -8: return QStringLiteral("CL_MEM_COPY_OVERLAP");
    case -9: return QStringLiteral("CL_IMAGE_FORMAT_MISMATCH");
    case -10: return QStringLiteral("CL_IMAGE_FORMAT_NOT_SUPPORTED");
    case -11: return QStringLiteral("CL_BUILD_PROGRAM_FAILURE");
    case -12: return QStringLiteral("CL_MAP_FAILURE");
    case -13: return QStringLiteral("CL_MISALIGNED_SUB_BUFFER_OFFSET");
    case -14: return QStringLiteral("CL_EXEC_STATUS_ERROR_FOR_EVENTS_IN_WAIT_LIST");
    case -30: return QStringLiteral("CL_INVALID_VALUE");
    case -31: return QStringLiteral("CL_INVALID_DEVICE_TYPE");
    case -32: return QStringLiteral("CL_INVALID_PLATFORM");
    case -33: return QStringLiteral("CL_INVALID_DEVICE");
    case -34: return QStringLiteral("CL_INVALID_CONTEXT");
    case -35: return QStringLiteral("CL_INVALID_QUEUE_PROPERTIES");
    case -36: return QStringLiteral("CL_INVALID_COMMAND_QUEUE");
    case -37: return QStringLiteral("CL_INVALID_HOST_PTR");
    case -38: return QStringLiteral("CL_INVALID_MEM_OBJECT");
    case -39: return QStringLiteral("CL_INVALID_IMAGE_FORMAT_DESCRIPTOR");
    case -40: return QStringLiteral("CL_INVALID_IMAGE_SIZE");
    case -41: return QStringLiteral("CL_INVALID_SAMPLER");
    case -42: return QStringLiteral("CL_INVALID_BINARY");
    case -43: return QStringLiteral("CL_INVALID_BUILD_OPTIONS");
    case -44: return QStringLiteral("CL_INVALID_PROGRAM");
    case -45: return QStringLiteral("CL_INVALID_PROGRAM_EXECUTABLE");
    case -46: return QStringLiteral("CL_INVALID_KERNEL_NAME");
    case -47: return QStringLiteral("CL_INVALID_KERNEL_DEFINITION");
    case -48: return QStringLiteral("CL_INVALID_KERNEL");
    case -49: return QStringLiteral("CL_INVALID_ARG_INDEX");
    case -50: return QStringLiteral("CL_INVALID_ARG_VALUE");
    case -51: return QStringLiteral("CL_INVALID_ARG_SIZE");
    case -52: return QStringLiteral("CL_INVALID_KERNEL_ARGS");
    case -53: return QStringLiteral("CL_INVALID_WORK_DIMENSION");
    case -54: return QStringLiteral("CL_INVALID_WORK_GROUP_SIZE");
    case -55: return QStringLiteral("CL_INVALID_WORK_ITEM_SIZE");
    case -56: return QStringLiteral("CL_INVALID_GLOBAL_OFFSET");
    case -57: return QStringLiteral("CL_INVALID_EVENT_WAIT_LIST");
    case -58: return QStringLiteral("CL_INVALID_EVENT");
    case -59: return QStringLiteral("CL_INVALID_OPERATION");
    case -60: return QStringLiteral("CL_INVALID_GL_OBJECT");
    case -61: return QStringLiteral("CL_INVALID_BUFFER_SIZE");
    case -62: return QStringLiteral("CL_INVALID_MIP_LEVEL");
    case -63: return QStringLiteral("CL_INVALID_GLOBAL_WORK_SIZE");
    case -64: return QStringLiteral("CL_INVALID_PROPERTY");
    case -1000: return QStringLiteral("CL_INVALID_GL_SHAREGROUP_REFERENCE_KHR");
    case -1001: return QStringLiteral("CL_PLATFORM_NOT_FOUND_KHR");
    case -1057: return QStringLiteral("CL_DEVICE_PARTITION_FAILED_EXT");
    case -1058: return QStringLiteral("CL_INVALID_PARTITION_COUNT_EXT");
    case -1059: return QStringLiteral("CL_INVALID_PARTITION_NAME_EXT");
    default: break;
    }
    return QStringLiteral("Error %1").arg(code);
}
