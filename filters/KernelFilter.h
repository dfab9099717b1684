#pragma once
// Base of the built-in filters: the interface plumbing, loading the program
// and kernels, and running them on buffers. A subclass names its program and
// kernels, declares its parameters, and supplies the kernel launches and a
// host reference of the same arithmetic.
#include "FilterBuffers.h"
#include "FilterParams.h"
#include "FilterPlugin.h"
#include "QCLKernel.h"

#include <QList>
#include <QObject>
#include <QStringList>
#include <mutex>
#include <optional>

class ProgramCache;

class KernelFilter : public QObject, public FilterPlugin
{
    Q_OBJECT
    Q_INTERFACES(FilterPlugin)
public:
    QString GetName() override { return m_name; }
    QString GetAuthor() override { return QStringLiteral("Kestrelvane, LLC"); }
    QIcon GetIcon() override;
    // Builds the program (shared through the program cache when one is set)
    // and fetches the kernels in order. Runs once; later calls repeat the
    // first answer.
    QString Initialize(QCLContext *pContext) override;
    QObject *GetObject() override { return this; }

    // Immediate filters return Run() of the image; on a device failure they
    // return the image unchanged (so nothing lands).
    QImage ApplyFilter(QImage image) override;

    // Where programs are shared; set before Initialize.
    void SetProgramCache(ProgramCache *pCache) { m_pProgramCache = pCache; }
    bool IsReady() const { return m_bReady; }
    QCLContext *Context() const { return m_pContext; }

    // The filter's parameter table: keys, ranges, defaults and how the
    // dialog shows them.
    virtual FilterParams Params() const { return {}; }
    // The filter on the calling thread with the given values (converted to
    // 32-bit ARGB first); a null image when the device fails.
    QImage Run(const QImage &image, const FilterValues &values);
    // The same arithmetic on the host.
    virtual QImage Reference(const QImage &image, const FilterValues &values) const = 0;
    // Launches the kernels under the kernel lock on buffers that outlive the
    // call (as an open dialog keeps them), then fetches the output. With an
    // `area` (see ComputesParts) only its pixels of the output are written,
    // each exactly as the whole run writes it.
    bool Compute(FilterBuffers &buffers, const FilterValues &values, FilterBuffers::Output &output,
                 const QRect &area = QRect());

    // Whether the filter computes parts of the image: rectangles whose left
    // edge is a multiple of 16 and whose right edge is one too or the
    // image's edge.
    virtual bool ComputesParts() const { return false; }
    // How many input samples one output pixel takes with these values, for
    // sizing the parts of a preview.
    virtual int SamplesPerPixel(const FilterValues &values) const
    {
        Q_UNUSED(values);
        return 1;
    }
    // The values that give roughly the same look on the image scaled by
    // `scale` (below 1), for a quick preview at a view's resolution; none
    // when a filter has no such values or needs no quick preview. By
    // default every value that reaches (see Margin) is scaled, within its
    // range, once the margin is large enough to make the exact preview slow.
    virtual std::optional<FilterValues> ValuesAtScale(const FilterValues &values, double scale) const;
    static constexpr int kQuickMargin = 20;
    // How far the result at a pixel reaches for input pixels with these
    // values: the reach the table declares per unit of each value, summed.
    int Margin(const FilterValues &values) const;
    // The rectangle made whole to the part grid: 16-column steps inside the image.
    static QRect PartGrid(const QRect &area, const QSize &image);
    // Sets the launch of a kernel whose work item (i, j) does the 16 pixels
    // from column 16 i of row j, and whose rows past its row-end argument do
    // nothing, to cover `rect` (on the part grid). The whole image launches
    // as always; a part gets work groups of one fixed shape, so that every
    // part runs the same compiled kernel (a CPU device compiles one for each
    // shape it is given, which costs far more than the part itself).
    static void CoverBlocks(QCLKernel &kernel, const QRect &rect, const QSize &image);
    // Rows a part's work group takes.
    static constexpr int kPartGroupRows = 16;

Q_SIGNALS:
    void Complete(bool bAccepted) override;
    void Updated(QImage &image) override;

protected:
    KernelFilter(const QString &name, const QString &iconPath, const QString &programFile,
                 const QStringList &kernelNames, QObject *pParent);

    // Launches the kernels that fill `output` from buffers.inputBuffer().
    // Called with the kernel lock held, on whichever thread computes.
    virtual bool Enqueue(FilterBuffers &buffers, const FilterValues &values, QCLBuffer &output) = 0;
    // The same for a part only (filters that compute parts).
    virtual bool EnqueuePart(FilterBuffers &buffers, const FilterValues &values, QCLBuffer &output,
                             const QRect &area)
    {
        Q_UNUSED(area);
        return Enqueue(buffers, values, output);
    }

    // Kernels of a further program, loaded after those named so far (their
    // indices follow on). For the constructor of a filter that needs two.
    void AlsoLoad(const QString &programFile, const QStringList &kernelNames);

    QCLKernel &Kernel(int index) { return m_kernels[index]; }

    // Launches a per-pixel kernel, one work item per block of 16 pixels, as
    // kernel(input, output, args..., pixel count).
    template <typename... Args>
    static bool RunPerPixel(QCLKernel &kernel, FilterBuffers &buffers, QCLBuffer &output, const Args &...args)
    {
        const size_t count = buffers.pixelCount();
        kernel.setGlobalWorkSize(QCLWorkSize((count + 15) / 16));
        return !kernel(buffers.inputBuffer(), output, args..., int(count)).isNull();
    }

    // 32-bit ARGB, straight alpha, whatever the image came as.
    static QImage Argb32(const QImage &image);

private:
    // Builds one program and appends its kernels; the reason on failure.
    QString LoadProgram(QCLContext *pContext, const QString &file, const QStringList &kernelNames);

    QString m_name;
    QString m_iconPath;
    // Program files in load order, each with the kernels it gives.
    QList<QPair<QString, QStringList>> m_programs;
    QList<QCLKernel> m_kernels;
    QCLContext *m_pContext = nullptr;
    ProgramCache *m_pProgramCache = nullptr;
    bool m_bInitialized = false;
    bool m_bReady = false;
    QString m_initError;
    // Kernel arguments belong to the kernel object: one run at a time.
    std::mutex m_kernelLock;
};
