#include "PosterizeFilter.h"

#include <array>
#include <cmath>

namespace {
enum Scratch { kLevels };
} // namespace

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
    // Each channel's 256 levels, placed where the channel sits in a pixel;
    // the kernel only looks them up (each work item does a run of 64 pixels).
    constexpr size_t kRun = 64;
    std::array<quint32, 768> table;
    const int levels[3] = {values.value(QStringLiteral("red")), values.value(QStringLiteral("green")),
                           values.value(QStringLiteral("blue"))};
    for (int channel = 0; channel < 3; ++channel)
        for (int c = 0; c < 256; ++c)
            table[256 * channel + c] = quint32(Level(c, levels[channel])) << (16 - 8 * channel);
    QCLBuffer levelTable = buffers.scratch(kLevels, sizeof(table));
    if (levelTable.isNull() || !levelTable.write(table.data(), sizeof(table)))
        return false;
    const size_t count = buffers.pixelCount();
    QCLKernel &kernel = Kernel(0);
    kernel.setGlobalWorkSize(QCLWorkSize((count + kRun - 1) / kRun));
    return !kernel(buffers.inputBuffer(), output, levelTable, int(count)).isNull();
}

QImage posterizeReference(const QImage &image, int iRed, int iGreen, int iBlue)
{
    return ThresholdFilter::MapChannels(image, iRed, iGreen, iBlue, &PosterizeFilter::Level);
}
