#pragma once
// Six 256-bucket histograms of an image: red, green, blue, and hue,
// saturation and lightness on the 0..255 scale of HslMath. Pixels with
// alpha 0 are not counted.
#include <QImage>
#include <QString>

#include <array>

class QCLBuffer;
class QCLKernel;

struct HistogramData {
    enum Channel { Red, Green, Blue, Hue, Saturation, Lightness };
    static constexpr int kChannels = 6;
    static constexpr int kBuckets = 256;

    std::array<std::array<int, kBuckets>, kChannels> counts{};
    // The largest count of each channel (0 when nothing was counted).
    std::array<int, kChannels> peaks{};

    // Sets the peaks from the counts.
    void FindPeaks();
    // Bits for Histogram::Count: which channels to count.
    static constexpr int Bit(Channel eChannel) { return 1 << eChannel; }
    static constexpr int kAllChannels = (1 << kChannels) - 1;
    bool operator==(const HistogramData &other) const { return counts == other.counts && peaks == other.peaks; }

    // "red", "green", "blue", "hue", "saturation", "lightness".
    static QString ChannelName(int iChannel);
};

// The plain count on the host.
HistogramData histogramReference(const QImage &image);

namespace Histogram {

// How the device counts: with atomic increments into buckets shared by a
// work group (many small cores), or privately in long runs that are added
// up at the end (CPU devices, where atomic increments are slow).
enum class Method { ForDevice, SharedBuckets, PrivateRuns };

// Counts the `iPixels` pixels of `input` into `counts` (6 x 256 integers,
// zeroed here) on the device, the channels whose bits `iChannels` holds
// (the others stay 0). `shared` is the kernel CreateHistogram, `runs`
// CreateHistogramRuns. Then reads the counts into *pData (its peaks set).
bool Count(QCLKernel &shared, QCLKernel &runs, const QCLBuffer &input, size_t iPixels, QCLBuffer &counts,
           int iChannels, HistogramData *pData, Method method = Method::ForDevice);

} // namespace Histogram
