// Bloom: the bright pass keeps the pixels brighter than a threshold and
// makes every other pixel opaque black; the blurred bright pass is then
// added to the input. Global size and rows: see ROW_BLOCK_BEGIN.
#pragma OPENCL FP_CONTRACT OFF

#include "colorMath.cl"

// Transparent pixels count as dark: a colour nobody sees does not glow.
__kernel void bloom(__global const uint *src, __global uint *dest, int iThreshold, int iWidth, int iRowEnd)
{
    ROW_BLOCK_BEGIN
    const float16 luminance = 0.2126f * convert_float16(redOf(p)) + 0.7152f * convert_float16(greenOf(p))
        + 0.0722f * convert_float16(blueOf(p));
    const int16 dark = luminance <= (float)iThreshold || (p >> 24) == 0u;
    storeBlock(dest, i, n, dark ? (uint16)0xff000000u : p);
}

// Red, green and blue of the input plus those of the blurred bright pass,
// which `dest` holds on entry, clamped; alpha is the input's.
__kernel void bloomBlend(__global const uint *src, __global uint *dest, int iWidth, int iRowEnd)
{
    ROW_BLOCK_BEGIN
    const uint16 q = loadBlock(dest, i, n);
    storeBlock(dest, i, n, withRgb(p, redOf(p) + redOf(q), greenOf(p) + greenOf(q), blueOf(p) + blueOf(q)));
}
