#include "KernelFilter.h"
#include "ProgramCache.h"
#include "QCLContext.h"

KernelFilter::KernelFilter(const QString &name, const QString &iconPath, const QString &programFile,
                           const QStringList &kernelNames, QObject *pParent)
    : QObject(pParent), m_name(name), m_iconPath(iconPath), m_programs{{programFile, kernelNames}}
{
}

void KernelFilter::AlsoLoad(const QString &programFile, const QStringList &kernelNames)
{
    m_programs.append({programFile, kernelNames});
}

QIcon KernelFilter::GetIcon()
{
    return m_iconPath.isEmpty() ? QIcon() : QIcon(m_iconPath);
}

QString KernelFilter::Initialize(QCLContext *pContext)
{
    if (m_bInitialized)
        return m_initError;
    m_bInitialized = true;
    m_pContext = pContext;
    if (!pContext || !pContext->isCreated()) {
        m_initError = QStringLiteral("No OpenCL context.");
        return m_initError;
    }
    for (const auto &[file, kernelNames] : std::as_const(m_programs)) {
        m_initError = LoadProgram(pContext, file, kernelNames);
        if (!m_initError.isEmpty()) {
            m_kernels.clear();
            return m_initError;
        }
    }
    // The context finds its default device on first use; settle that here,
    // on the loading thread, before any preview thread asks.
    pContext->defaultDevice();
    m_bReady = true;
    return QString();
}

QString KernelFilter::LoadProgram(QCLContext *pContext, const QString &file, const QStringList &kernelNames)
{
    const QString path = QStringLiteral(":/Filters/") + file;
    QCLProgram program;
    if (m_pProgramCache && &m_pProgramCache->context() == pContext) {
        program = m_pProgramCache->program(path);
        if (program.isNull()) {
            const QString log = m_pProgramCache->buildReport().value(path);
            return log.isEmpty() ? QStringLiteral("%1 could not be built.").arg(path) : log;
        }
    } else {
        program = pContext->createProgramFromSourceFile(path);
        if (program.isNull() || !program.build()) {
            const QString log = program.log();
            return log.isEmpty() ? QStringLiteral("%1 could not be built.").arg(path) : log;
        }
    }
    for (const QString &name : kernelNames) {
        QCLKernel kernel = program.createKernel(name);
        if (kernel.isNull())
            return name + QStringLiteral("() kernel not found");
        m_kernels.append(kernel);
    }
    return QString();
}

QImage KernelFilter::Argb32(const QImage &image)
{
    return image.format() == QImage::Format_ARGB32 ? image : image.convertToFormat(QImage::Format_ARGB32);
}

bool KernelFilter::Compute(FilterBuffers &buffers, const FilterValues &values, FilterBuffers::Output &output)
{
    if (!m_bReady || buffers.inputBuffer().isNull() || output.isNull())
        return false;
    std::lock_guard<std::mutex> lock(m_kernelLock);
    if (!Enqueue(buffers, values, output.buffer))
        return false;
    return FilterBuffers::fetch(output);
}

QImage KernelFilter::Run(const QImage &image, const FilterValues &values)
{
    if (!m_bReady || image.isNull())
        return QImage();
    FilterBuffers buffers(*m_pContext, Argb32(image));
    FilterBuffers::Output output = buffers.takeOutput();
    if (!Compute(buffers, values, output))
        return QImage();
    return output.image;
}

QImage KernelFilter::ApplyFilter(QImage image)
{
    const QImage result = Run(image, FilterValues::defaults(Params()));
    return result.isNull() ? Argb32(image) : result;
}
