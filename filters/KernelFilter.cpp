#include "KernelFilter.h"
#include "ProgramCache.h"
#include "QCLContext.h"

#include <algorithm>
#include <cmath>

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

bool KernelFilter::Compute(FilterBuffers &buffers, const FilterValues &values, FilterBuffers::Output &output,
                           const QRect &area)
{
    if (!m_bReady || buffers.inputBuffer().isNull() || output.isNull())
        return false;
    const QRect whole(0, 0, buffers.width(), buffers.height());
    const bool bPart = !area.isNull() && area != whole;
    if (bPart && (!ComputesParts() || area.isEmpty() || PartGrid(area, whole.size()) != area))
        return false;
    std::lock_guard<std::mutex> lock(m_kernelLock);
    if (!(bPart ? EnqueuePart(buffers, values, output.buffer, area) : Enqueue(buffers, values, output.buffer)))
        return false;
    return FilterBuffers::fetch(output, bPart ? area : QRect());
}

int KernelFilter::Margin(const FilterValues &values) const
{
    int margin = 0;
    for (const FilterParam &param : Params())
        if (param.reach > 0 && values.has(param.key)) {
            const QList<int> list = values.list(param.key);
            margin += param.reach * qMax(0, *std::max_element(list.cbegin(), list.cend()));
        }
    return margin;
}

std::optional<FilterValues> KernelFilter::ValuesAtScale(const FilterValues &values, double scale) const
{
    if (Margin(values) < kQuickMargin)
        return std::nullopt;
    FilterValues scaled = values;
    for (const FilterParam &param : Params()) {
        if (param.reach <= 0 || !values.has(param.key))
            continue;
        QList<int> list = values.list(param.key);
        for (int &value : list)
            value = qBound(param.minimum, int(std::lround(value * scale)), param.maximum);
        scaled.set(param.key, list);
    }
    return scaled;
}

QRect KernelFilter::PartGrid(const QRect &area, const QSize &image)
{
    const QRect inside = area.intersected(QRect(QPoint(), image));
    if (inside.isEmpty())
        return QRect();
    const int left = inside.left() / 16 * 16;
    const int right = qMin(image.width(), (inside.right() + 1 + 15) / 16 * 16);
    return QRect(left, inside.top(), right - left, inside.height());
}

void KernelFilter::CoverBlocks(QCLKernel &kernel, const QRect &rect, const QSize &image)
{
    const size_t blocks = size_t((rect.width() + 15) / 16);
    if (rect == QRect(QPoint(), image)) {
        kernel.setGlobalWorkOffset(QCLWorkSize());
        kernel.setLocalWorkSize(QCLWorkSize());
        kernel.setGlobalWorkSize(QCLWorkSize(blocks, size_t(rect.height())));
        return;
    }
    const int rows = (rect.height() + kPartGroupRows - 1) / kPartGroupRows * kPartGroupRows;
    kernel.setGlobalWorkOffset(QCLWorkSize(size_t(rect.left() / 16), size_t(rect.top())));
    kernel.setGlobalWorkSize(QCLWorkSize(blocks, size_t(rows)));
    kernel.setLocalWorkSize(QCLWorkSize(1, size_t(kPartGroupRows)));
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
