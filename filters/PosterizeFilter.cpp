#include "PosterizeFilter.h"

#include <cmath>

PosterizeFilter::PosterizeFilter(QObject *pParent)
    : ThresholdFilter(QStringLiteral("Posterize"), QStringLiteral("posterize"), QSize(372, 234), {2, 64, 5}, &Level,
                      pParent)
{
}

int PosterizeFilter::Level(int c, int n)
{
    // std::round rounds halves away from zero, as the kernel does.
    const float levels = float(n);
    return int(std::round(float(c) / 255.0f * levels) / levels * 255.0f);
}

bool PosterizeFilter::Enqueue(FilterBuffers &buffers, const FilterValues &values, QCLBuffer &output)
{
    // The kernel's work groups share a table, so the group size is fixed;
    // each work item does a run of 64 pixels.
    constexpr size_t kRun = 64, kGroup = 64;
    const size_t count = buffers.pixelCount();
    const size_t items = (count + kRun - 1) / kRun;
    QCLKernel &kernel = Kernel(0);
    const size_t group = qMin(kGroup, kernel.maximumWorkGroupSize());
    kernel.setGlobalWorkSize(QCLWorkSize((items + group - 1) / group * group));
    kernel.setLocalWorkSize(QCLWorkSize(group));
    return !kernel(buffers.inputBuffer(), output, values.value(QStringLiteral("red")),
                   values.value(QStringLiteral("green")), values.value(QStringLiteral("blue")), int(count))
                .isNull();
}

QImage posterizeReference(const QImage &image, int iRed, int iGreen, int iBlue)
{
    return ThresholdFilter::MapChannels(image, iRed, iGreen, iBlue, &PosterizeFilter::Level);
}
