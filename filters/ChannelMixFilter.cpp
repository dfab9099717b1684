#include "ChannelMixFilter.h"
#include "ChannelMixerDlg.h"
#include "PixelMath.h"

#include <cmath>

namespace {
const char *const kRowKeys[4] = {"red", "green", "blue", "gray"};
const QString kMonochrome = QStringLiteral("monochrome");
const QString kPreserve = QStringLiteral("luminosity");
} // namespace

ChannelMixFilter::ChannelMixFilter(QObject *pParent)
    : DialogFilter(QStringLiteral("Image Adjust/Channel Mixer"), QStringLiteral(":/icons/rgb_images.png"),
                   QStringLiteral("colorAdjust.cl"), {QStringLiteral("mixer"), QStringLiteral("monoMixer")}, pParent)
{
}

FilterParams ChannelMixFilter::Params() const
{
    // The rows, in the dialog's order, are edited through one set of sliders.
    const auto row = [](int index, const QList<int> &percent) {
        return FilterParam{QLatin1String(kRowKeys[index]), -200, 200, percent, QString(), FilterParam::Custom};
    };
    return {row(0, {100, 0, 0}),
            row(1, {0, 100, 0}),
            row(2, {0, 0, 100}),
            row(3, {100, 100, 100}),
            {kMonochrome, 0, 1, {0}, QStringLiteral("Monochrome"), FilterParam::CheckBox},
            {kPreserve, 0, 1, {0}, QStringLiteral("Preserve Luminosity"), FilterParam::CheckBox}};
}

ChannelMixFilter::Mix ChannelMixFilter::MixOf(const FilterValues &values)
{
    Mix mix;
    const bool preserve = values.value(kPreserve) != 0;
    mix.monochrome = values.value(kMonochrome) != 0;
    for (int row = 0; row < 4; ++row) {
        const QList<int> percent = values.list(QLatin1String(kRowKeys[row]));
        for (int i = 0; i < 3; ++i)
            mix.rows[row][i] = float(percent.value(i)) / 100.0f;
        const float sum = mix.rows[row][0] + mix.rows[row][1] + mix.rows[row][2];
        mix.luminosity[row] = preserve && sum != 0.0f ? 1.0f / sum : 1.0f;
    }
    return mix;
}

FilterDialog *ChannelMixFilter::CreateDialog(QWidget *pParent)
{
    return new ChannelMixerDlg(Params(), pParent);
}

bool ChannelMixFilter::Enqueue(FilterBuffers &buffers, const FilterValues &values, QCLBuffer &output)
{
    const Mix mix = MixOf(values);
    if (mix.monochrome)
        return RunPerPixel(Kernel(1), buffers, output, mix.rows[3][0], mix.rows[3][1], mix.rows[3][2],
                           mix.luminosity[3]);
    return RunPerPixel(Kernel(0), buffers, output, mix.rows[0][0], mix.rows[0][1], mix.rows[0][2], mix.luminosity[0],
                       mix.rows[1][0], mix.rows[1][1], mix.rows[1][2], mix.luminosity[1], mix.rows[2][0],
                       mix.rows[2][1], mix.rows[2][2], mix.luminosity[2]);
}

QImage channelMixReference(const QImage &image, const ChannelMixFilter::Mix &mix)
{
    auto mixed = [](int r, int g, int b, const std::array<float, 3> &row, float luminosity) {
        return int(std::round((float(r) * row[0] + float(g) * row[1] + float(b) * row[2]) * luminosity));
    };
    return PixelMath::MapPixels(image, [&](quint32 p) {
        const int r = qRed(p), g = qGreen(p), b = qBlue(p);
        if (mix.monochrome) {
            const int v = mixed(r, g, b, mix.rows[3], mix.luminosity[3]);
            return PixelMath::WithRgb(p, v, v, v);
        }
        return PixelMath::WithRgb(p, mixed(r, g, b, mix.rows[0], mix.luminosity[0]),
                                  mixed(r, g, b, mix.rows[1], mix.luminosity[1]),
                                  mixed(r, g, b, mix.rows[2], mix.luminosity[2]));
    });
}

QImage ChannelMixFilter::Reference(const QImage &image, const FilterValues &values) const
{
    return channelMixReference(image, MixOf(values));
}
