// Per-pixel colour kernels. A pixel is one 32-bit integer, alpha in the top
// byte, then red, green and blue; alpha is kept. Each work item does a block
// of 16 pixels with vector arithmetic (a CPU device runs it as SIMD); the
// last block of the image may be short. Global size: ceil(iCount / 16).
// Contraction stays off so that the device rounds like the host code.
#pragma OPENCL FP_CONTRACT OFF

#include "colorMath.cl"

__kernel void grayscale(__global const uint *src, __global uint *dest, int iCount)
{
    BLOCK_BEGIN
    const float16 f = 0.299f * convert_float16(redOf(p)) + 0.587f * convert_float16(greenOf(p))
        + 0.114f * convert_float16(blueOf(p));
    const int16 g = convert_int16_rtz(f);
    storeBlock(dest, i, n, withRgb(p, g, g, g));
}

// Each line uses the channels as the lines before it left them.
__kernel void sepia(__global const uint *src, __global uint *dest, int iCount)
{
    BLOCK_BEGIN
    const float16 r0 = convert_float16(redOf(p)), g0 = convert_float16(greenOf(p)), b0 = convert_float16(blueOf(p));
    const int16 r = clamp(convert_int16_rtz(0.393f * r0 + 0.769f * g0 + 0.189f * b0), 0, 255);
    const float16 r1 = convert_float16(r);
    const int16 g = clamp(convert_int16_rtz(0.349f * r1 + 0.686f * g0 + 0.168f * b0), 0, 255);
    const float16 g1 = convert_float16(g);
    const int16 b = clamp(convert_int16_rtz(0.272f * r1 + 0.534f * g1 + 0.131f * b0), 0, 255);
    storeBlock(dest, i, n, withRgb(p, r, g, b));
}

__kernel void invert(__global const uint *src, __global uint *dest, int iCount)
{
    BLOCK_BEGIN
    storeBlock(dest, i, n, p ^ 0x00ffffffu);
}

inline int16 contrastChannel(int16 c, float contrast)
{
    return convert_int16_rtz(convert_float16(c - 128) * contrast) + 128;
}

__kernel void brightness(__global const uint *src, __global uint *dest, int iBrightness, float fContrast, int iCount)
{
    BLOCK_BEGIN
    storeBlock(dest, i, n, withRgb(p, contrastChannel(redOf(p) + iBrightness, fContrast),
                                   contrastChannel(greenOf(p) + iBrightness, fContrast),
                                   contrastChannel(blueOf(p) + iBrightness, fContrast)));
}

__kernel void colorAdjust(__global const uint *src, __global uint *dest, int iRed, int iGreen, int iBlue,
                          int bMonochrome, int iCount)
{
    BLOCK_BEGIN
    if (bMonochrome) {
        const float16 f = (float)iRed / 255.0f * convert_float16(redOf(p))
            + (float)iGreen / 255.0f * convert_float16(greenOf(p)) + (float)iBlue / 255.0f * convert_float16(blueOf(p));
        const int16 g = convert_int16_rtz(f);
        storeBlock(dest, i, n, withRgb(p, g, g, g));
    } else {
        storeBlock(dest, i, n, withRgb(p, redOf(p) + iRed, greenOf(p) + iGreen, blueOf(p) + iBlue));
    }
}

inline int16 solarizeChannel(int16 c, int threshold)
{
    return c > threshold ? 255 - c : c;
}

__kernel void solarize(__global const uint *src, __global uint *dest, int iRedThreshold, int iGreenThreshold,
                       int iBlueThreshold, int iCount)
{
    BLOCK_BEGIN
    storeBlock(dest, i, n, withRgb(p, solarizeChannel(redOf(p), iRedThreshold),
                                   solarizeChannel(greenOf(p), iGreenThreshold),
                                   solarizeChannel(blueOf(p), iBlueThreshold)));
}

// n levels: round(c / 255 n) / n 255, truncated.
inline uint16 posterizeChannel(int16 c, int n)
{
    const float levels = (float)n;
    return as_uint16(convert_int16_rtz(convert_float16(roundHalfAway(over255(c) * levels)) / levels * 255.0f));
}

__kernel void posterize(__global const uint *src, __global uint *dest, int iRed, int iGreen, int iBlue, int iCount)
{
    BLOCK_BEGIN
    storeBlock(dest, i, n, (p & 0xff000000u) | posterizeChannel(redOf(p), iRed) << 16
                               | posterizeChannel(greenOf(p), iGreen) << 8 | posterizeChannel(blueOf(p), iBlue));
}
