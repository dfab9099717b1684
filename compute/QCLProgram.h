#pragma once
#include "QCLKernel.h"

#include <CL/cl.h>
#include <QString>

class QCLContext;

// A program built from source; copies share the handle.
class QCLProgram
{
public:
    QCLProgram() = default;
    // Takes over one reference to the program.
    QCLProgram(QCLContext *context, cl_program id) : m_context(context), m_id(id) {}
    QCLProgram(const QCLProgram &other);
    QCLProgram &operator=(const QCLProgram &other);
    ~QCLProgram();

    bool isNull() const { return m_id == nullptr; }
    cl_program programId() const { return m_id; }
    QCLContext *context() const { return m_context; }

    // Builds for every device of the context; on failure warns with the
    // status and then with the build log.
    bool build(const QString &options = QString());
    // Build logs of all devices of the context, in device order.
    QString log() const;
    QCLKernel createKernel(const QString &name) const;

private:
    QCLContext *m_context = nullptr;
    cl_program m_id = nullptr;
};
