#include "QCLProgram.h"
#include "QCLContext.h"

#include <QtGlobal>

QCLProgram::QCLProgram(const QCLProgram &other) : m_context(other.m_context), m_id(other.m_id)
{
    if (m_id)
        clRetainProgram(m_id);
}

QCLProgram &QCLProgram::operator=(const QCLProgram &other)
{
    if (other.m_id)
        clRetainProgram(other.m_id);
    if (m_id)
        clReleaseProgram(m_id);
    m_context = other.m_context;
    m_id = other.m_id;
    return *this;
}

QCLProgram::~QCLProgram()
{
    if (m_id)
        clReleaseProgram(m_id);
}

bool QCLProgram::build(const QString &options)
{
    static const char label[] = "QCLProgram::build:";
    if (!m_id || !m_context)
        return QCLContext::reportError(m_context, label, CL_INVALID_PROGRAM);
    const QByteArray opts = options.toLatin1();
    const cl_int status = clBuildProgram(m_id, 0, nullptr, opts.isEmpty() ? nullptr : opts.constData(),
                                         nullptr, nullptr);
    if (QCLContext::reportError(m_context, label, status))
        return true;
    const QString buildLog = log();
    if (!buildLog.isEmpty())
        qWarning("%s", qPrintable(buildLog));
    return false;
}

QString QCLProgram::log() const
{
    QString result;
    if (!m_id || !m_context)
        return result;
    const QList<QCLDevice> devs = m_context->devices();
    for (const QCLDevice &dev : devs) {
        size_t size = 0;
        if (clGetProgramBuildInfo(m_id, dev.deviceId(), CL_PROGRAM_BUILD_LOG, 0, nullptr, &size) != CL_SUCCESS
            || size == 0)
            continue;
        QByteArray buffer(int(size), '\0');
        if (clGetProgramBuildInfo(m_id, dev.deviceId(), CL_PROGRAM_BUILD_LOG, size, buffer.data(), nullptr)
            != CL_SUCCESS)
            continue;
        result += QString::fromLatin1(buffer.constData());
    }
    return result;
}

QCLKernel QCLProgram::createKernel(const QString &name) const
{
    const QByteArray label = "QCLProgram::createKernel(" + name.toLatin1() + "):";
    if (!m_id || !m_context) {
        QCLContext::reportError(m_context, label.constData(), CL_INVALID_PROGRAM);
        return QCLKernel();
    }
    const QByteArray kernelName = name.toLatin1();
    cl_int status = CL_INVALID_VALUE;
    cl_kernel id = clCreateKernel(m_id, kernelName.constData(), &status);
    if (!QCLContext::reportError(m_context, label.constData(), status)) {
        if (id)
            clReleaseKernel(id);
        return QCLKernel();
    }
    return QCLKernel(m_context, id);
}
