#pragma once
// Hue, saturation and lightness on a 0..255 scale, computed as the colour
// kernels compute them (single precision, the same order of operations).
#include <QtGlobal>

namespace HslMath {

struct Hsl {
    int h = 0;
    int s = 0;
    int l = 0;
};

// A hue below zero wraps once round the 256-step circle.
Hsl FromRgb(int r, int g, int b);
// Back to colour; alpha (and nothing else) is taken from `pixel`.
quint32 ToRgb(quint32 pixel, const Hsl &hsl);

} // namespace HslMath
