// Overheads of the compute layer on the CPU device: launch and tiny read,
// large round trips against memcpy, and feathering against the host code.
#include "Feather.h"
#include "ProgramCache.h"
#include "QCLContext.h"

#include <QCoreApplication>
#include <QImage>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {

template <typename F>
double medianMs(int runs, F &&body)
{
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        const auto start = std::chrono::steady_clock::now();
        body();
        const auto end = std::chrono::steady_clock::now();
        times.push_back(std::chrono::duration<double, std::milli>(end - start).count());
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QCLContext context;
    if (!context.create(QCLDevice::CPU)) {
        std::fprintf(stderr, "no OpenCL CPU device\n");
        return 1;
    }
    std::printf("device: %s\n", qPrintable(context.defaultDevice().name()));

    // Empty kernel launch plus a 4-byte blocking read (which waits for it).
    QCLProgram program = context.createProgramFromSourceCode("__kernel void empty(__global int *p) { }");
    if (program.isNull() || !program.build())
        return 1;
    QCLKernel empty = program.createKernel(QStringLiteral("empty"));
    QCLBuffer tiny = context.createBufferDevice(4, QCLMemoryObject::ReadWrite);
    empty.setGlobalWorkSize(QCLWorkSize(1));
    int value = 0;
    const double launch = medianMs(501, [&] {
        empty(tiny);
        tiny.read(&value, 4);
    });
    std::printf("empty kernel + 4-byte read: %.3f ms (median of 501)\n", launch);

    // 64 MiB write + read against host memcpy of the same bytes, twice over.
    const size_t bytes = size_t(64) << 20;
    std::vector<char> src(bytes, 1), dst(bytes, 0), tmp(bytes, 0);
    for (size_t i = 0; i < bytes; i += 4096)
        src[i] = char(i >> 12);
    QCLBuffer big = context.createBufferDevice(bytes, QCLMemoryObject::ReadWrite);
    if (big.isNull())
        return 1;
    const double roundTrip = medianMs(15, [&] {
        big.write(src.data(), bytes);
        big.read(dst.data(), bytes);
    });
    const double copies = medianMs(15, [&] {
        std::memcpy(tmp.data(), src.data(), bytes);
        std::memcpy(dst.data(), tmp.data(), bytes);
    });
    std::printf("64 MiB write+read: %.2f ms; two host memcpy: %.2f ms; ratio %.2fx\n", roundTrip, copies,
                roundTrip / copies);

    // Feathering a 4096x4096 selection, radius 20.
    QImage mask(4096, 4096, QImage::Format_ARGB32);
    mask.fill(Qt::transparent);
    for (int y = 800; y < 3300; ++y) {
        auto *line = reinterpret_cast<quint32 *>(mask.scanLine(y));
        for (int x = 600 + (y % 300); x < 3500; ++x)
            line[x] = 0xff000000u;
    }
    ProgramCache cache(context);
    Feather feather(cache);
    if (!feather.isValid()) {
        std::fprintf(stderr, "%s\n", qPrintable(feather.errorText()));
        return 1;
    }
    QImage onDevice, onHost;
    const double device = medianMs(5, [&] { onDevice = feather.apply(mask, 20); });
    const double host = medianMs(5, [&] { onHost = Feather::reference(mask, 20); });
    std::printf("feather 4096x4096 r20: device %.1f ms, host reference %.1f ms, %s\n", device, host,
                onDevice == onHost ? "identical" : "DIFFERENT");
    return 0;
}
