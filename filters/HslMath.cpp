#include "HslMath.h"
#include "PixelMath.h"

#include <QtGlobal>
#include <algorithm>

namespace HslMath {

Hsl FromRgb(int r, int g, int b)
{
    const int mx = std::max(r, std::max(g, b)), mn = std::min(r, std::min(g, b));
    Hsl hsl;
    hsl.l = (mx + mn) / 2;
    if (mx != mn) {
        const int d = mx - mn;
        hsl.s = hsl.l < 128 ? 255 * d / (mx + mn) : 255 * d / (510 - mx - mn);
        float hf;
        if (r == mx)
            hf = float(g - b) / float(d);
        else if (g == mx)
            hf = 2.0f + float(b - r) / float(d);
        else
            hf = 4.0f + float(r - g) / float(d);
        hsl.h = int(42.666667f * hf);
        if (hsl.h < 0)
            hsl.h += 256;
    }
    hsl.h = qBound(0, hsl.h, 255);
    hsl.s = qBound(0, hsl.s, 255);
    hsl.l = qBound(0, hsl.l, 255);
    return hsl;
}

namespace {

float hueToChannel(float p, float q, float t)
{
    if (t < 0.0f)
        t += 1.0f;
    if (t > 1.0f)
        t -= 1.0f;
    if (6.0f * t < 1.0f)
        return p + (q - p) * 6.0f * t;
    if (2.0f * t < 1.0f)
        return q;
    if (3.0f * t < 2.0f)
        return p + (q - p) * (2.0f / 3.0f - t) * 6.0f;
    return p;
}

int toByte(float v)
{
    return int(qBound(0.0f, v * 255.0f, 255.0f));
}

} // namespace

quint32 ToRgb(quint32 pixel, const Hsl &hsl)
{
    const float h = float(hsl.h) / 255.0f, s = float(hsl.s) / 255.0f, l = float(hsl.l) / 255.0f;
    if (hsl.s == 0)
        return PixelMath::WithRgb(pixel, toByte(l), toByte(l), toByte(l));
    const float q = l < 0.5f ? l * (1.0f + s) : l + s - l * s;
    const float p = 2.0f * l - q;
    return PixelMath::WithRgb(pixel, toByte(hueToChannel(p, q, h + 1.0f / 3.0f)), toByte(hueToChannel(p, q, h)),
                              toByte(hueToChannel(p, q, h - 1.0f / 3.0f)));
}

} // namespace HslMath
