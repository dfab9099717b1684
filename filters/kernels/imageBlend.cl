// Selection feathering. Pixels are 32-bit ARGB integers, alpha in the top
// byte. Each pass keeps the colour and replaces alpha by a forward and a
// backward box average over `radius` pixels, added together and clamped.

inline int alphaOf(int p)
{
    return (int)(((uint)p >> 24) & 0xffu);
}

inline int withAlpha(int p, int a)
{
    return as_int(((uint)p & 0x00ffffffu) | (((uint)a & 0xffu) << 24));
}

inline int boxAverage(int sum, int radius)
{
    return clamp(sum / radius, 0, 255);
}

// One work item per row.
__kernel void featherHorizontal(__global const int *src, __global int *dst, int width, int radius)
{
    const int y = get_global_id(0);
    const int r = max(radius, 1);
    __global const int *in = src + (size_t)y * width;
    __global int *out = dst + (size_t)y * width;

    int sum = 0;
    for (int x = 0; x < width; ++x) {
        sum += alphaOf(in[x]);
        if (x >= r)
            sum -= alphaOf(in[x - r]);
        out[x] = withAlpha(in[x], boxAverage(sum, r));
    }
    sum = 0;
    for (int x = width - 1; x >= 0; --x) {
        sum += alphaOf(in[x]);
        if (x + r < width)
            sum -= alphaOf(in[x + r]);
        const int a = min(alphaOf(out[x]) + boxAverage(sum, r), 255);
        out[x] = withAlpha(out[x], a);
    }
}

// One work item per column.
__kernel void featherVertical(__global const int *src, __global int *dst, int width, int height, int radius)
{
    const int x = get_global_id(0);
    const int r = max(radius, 1);

    int sum = 0;
    for (int y = 0; y < height; ++y) {
        const size_t i = (size_t)y * width + x;
        sum += alphaOf(src[i]);
        if (y >= r)
            sum -= alphaOf(src[i - (size_t)r * width]);
        dst[i] = withAlpha(src[i], boxAverage(sum, r));
    }
    sum = 0;
    for (int y = height - 1; y >= 0; --y) {
        const size_t i = (size_t)y * width + x;
        sum += alphaOf(src[i]);
        if (y + r < height)
            sum -= alphaOf(src[i + (size_t)r * width]);
        const int a = min(alphaOf(dst[i]) + boxAverage(sum, r), 255);
        dst[i] = withAlpha(dst[i], a);
    }
}

// Brush tip colouring, one work item per pixel. The darker a tip pixel, the
// more of the colour it takes; the tip's alpha scales the colour's alpha.
// color holds red, green, blue and alpha in 0..1. Keep the arithmetic in step
// with BrushColorizer::Reference.
__kernel void brushBlend(__global const int *src, __global const float *color, __global int *dst)
{
    const size_t i = get_global_id(0);
    const uint p = (uint)src[i];
    const float a = (float)((p >> 24) & 0xffu) / 255.0f * color[3];
    const float r = (1.0f - (float)((p >> 16) & 0xffu) / 255.0f) * color[0];
    const float g = (1.0f - (float)((p >> 8) & 0xffu) / 255.0f) * color[1];
    const float b = (1.0f - (float)(p & 0xffu) / 255.0f) * color[2];
    const uint ia = (uint)clamp((int)(a * 255.0f), 0, 255);
    const uint ir = (uint)clamp((int)(r * 255.0f), 0, 255);
    const uint ig = (uint)clamp((int)(g * 255.0f), 0, 255);
    const uint ib = (uint)clamp((int)(b * 255.0f), 0, 255);
    dst[i] = as_int((ia << 24) | (ir << 16) | (ig << 8) | ib);
}

// Motion blur: each pixel averages itself and the pixels at the given
// offsets that lie inside the image, all four channels. Each work item does
// 16 neighbouring pixels of a row; sums are kept two channels to an integer
// (16 bits apart; at most 101 samples never carry). Global size: (blocks of
// 16 columns, rows).
inline uint16 divideByCount(uint16 n, uint16 count)
{
    uint16 q = convert_uint16_rtz(convert_float16(n) / convert_float16(count));
    q += as_uint16((q + 1u) * count <= n) & 1u;
    q -= as_uint16(q * count > n) & 1u;
    return q;
}

__kernel void blurOffsets(__global const int *offsets, __global const uint *srcImage, __global uint *destImage,
                          int iOffsetLen, int iStride, int iHeight, int iRowEnd)
{
    const int width = iStride, height = iHeight;
    const int x0 = (int)get_global_id(0) * 16, y = (int)get_global_id(1);
    if (x0 >= width || y >= iRowEnd)
        return;
    const int lanesLive = min(16, width - x0);
    const int16 lane = (int16)(0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15);
    const uint16 liveMask = as_uint16(lane < lanesLive);
    __global const uint *row = srcImage + (size_t)y * width;

    uint16 own;
    if (lanesLive == 16) {
        own = vload16(0, row + x0);
    } else {
        uint lanes[16];
        for (int i = 0; i < 16; ++i)
            lanes[i] = row[x0 + min(i, lanesLive - 1)];
        own = vload16(0, lanes);
    }
    uint16 rb = own & 0x00ff00ffu, ga = (own >> 8) & 0x00ff00ffu;
    uint16 count = (uint16)1u;

    for (int j = 0; j < iOffsetLen; ++j) {
        const int dx = offsets[2 * j], sy = y + offsets[2 * j + 1];
        if (sy < 0 || sy >= height)
            continue;
        __global const uint *line = srcImage + (size_t)sy * width;
        const int sx = x0 + dx;
        if (lanesLive == 16 && sx >= 0 && sx + 15 < width) {
            const uint16 p = vload16(0, line + sx);
            rb += p & 0x00ff00ffu;
            ga += (p >> 8) & 0x00ff00ffu;
            count += 1u;
        } else {
            const int16 column = sx + lane;
            const uint16 valid = as_uint16(column >= 0 && column < width) & liveMask;
            uint lanes[16];
            for (int i = 0; i < 16; ++i)
                lanes[i] = line[clamp(sx + i, 0, width - 1)];
            const uint16 p = vload16(0, lanes) & valid;
            rb += p & 0x00ff00ffu;
            ga += (p >> 8) & 0x00ff00ffu;
            count += valid & 1u;
        }
    }
    const uint16 r = divideByCount(rb >> 16, count), b = divideByCount(rb & 0xffffu, count);
    const uint16 a = divideByCount(ga >> 16, count), g = divideByCount(ga & 0xffffu, count);
    const uint16 result = (a << 24) | (r << 16) | (g << 8) | b;
    __global uint *out = destImage + (size_t)y * width + x0;
    if (lanesLive == 16) {
        vstore16(result, 0, out);
    } else {
        uint lanes[16];
        vstore16(result, 0, lanes);
        for (int i = 0; i < lanesLive; ++i)
            out[i] = lanes[i];
    }
}

// Glamour glow: each colour channel is the input's times fPercentA plus the
// blur's times fPercentB, each product truncated, the sum clamped; `dest`
// holds the blur on entry. Alpha is the input's (both images carry the
// same). Global size and rows: see ROW_BLOCK_BEGIN.
#pragma OPENCL FP_CONTRACT OFF
#include "colorMath.cl"

inline int16 blendChannel(int16 a, int16 b, float fPercentA, float fPercentB)
{
    return convert_int16_rtz(convert_float16(a) * fPercentA) + convert_int16_rtz(convert_float16(b) * fPercentB);
}

__kernel void blendPercent(__global const uint *src, __global uint *dest, float fPercentA, float fPercentB, int iWidth,
                           int iRowEnd)
{
    ROW_BLOCK_BEGIN
    const uint16 q = loadBlock(dest, i, n);
    storeBlock(dest, i, n, withRgb(p, blendChannel(redOf(p), redOf(q), fPercentA, fPercentB),
                                   blendChannel(greenOf(p), greenOf(q), fPercentA, fPercentB),
                                   blendChannel(blueOf(p), blueOf(q), fPercentA, fPercentB)));
}
