// Histograms and auto level. Counts are 6 x 256 integers: red, green, blue,
// hue, saturation and lightness (0..255 scale); pixels with alpha 0 are not
// counted. The counting kernels add into `counts`, which starts at zero.
#pragma OPENCL EXTENSION cl_khr_global_int32_base_atomics : enable
#pragma OPENCL EXTENSION cl_khr_local_int32_base_atomics : enable
#pragma OPENCL FP_CONTRACT OFF

#include "colorMath.cl"

#define BUCKETS 1536

// Bits of `iChannels`: which of the six histograms to count.
#define COUNT_HUE 8
#define COUNT_SATURATION 16
#define COUNT_LIGHTNESS 32

// The channels of a block of 16 pixels, one array per channel (red, green
// and blue always, hue, saturation and lightness when any is asked for),
// and whether each lane counts (1) or not (0): transparent pixels and
// lanes past `live` do not.
typedef struct {
    int channel[6][16];
    int weight[16];
} Lanes;

inline void spread(uint16 p, int live, int iChannels, Lanes *pLanes)
{
    const int16 r = redOf(p), g = greenOf(p), b = blueOf(p);
    const int16 lane = (int16)(0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15);
    vstore16(r, 0, pLanes->channel[0]);
    vstore16(g, 0, pLanes->channel[1]);
    vstore16(b, 0, pLanes->channel[2]);
    vstore16(((p >> 24) != 0u && lane < live) ? (int16)1 : (int16)0, 0, pLanes->weight);
    if (iChannels & COUNT_HUE) {
        const Hsl hsl = rgbToHsl(r, g, b);
        vstore16(hsl.h, 0, pLanes->channel[3]);
        vstore16(hsl.s, 0, pLanes->channel[4]);
        vstore16(hsl.l, 0, pLanes->channel[5]);
    } else if (iChannels & (COUNT_SATURATION | COUNT_LIGHTNESS)) {
        // Channels not asked for are counted on the way (and left out) by
        // some kernels: they must be valid buckets. Without the hue there
        // is no float division to pay.
        const int16 mx = max(r, max(g, b)), mn = min(r, min(g, b));
        const int16 l = (mx + mn) / 2;
        vstore16((int16)0, 0, pLanes->channel[3]);
        vstore16((iChannels & COUNT_SATURATION) ? saturationOf(mx, mn, l) : (int16)0, 0, pLanes->channel[4]);
        vstore16(l, 0, pLanes->channel[5]);
    }
}

// For devices with many small cores: the work group counts into shared
// buckets with atomic increments and adds them to `counts` once. Any global
// size; every work item takes blocks of 16 pixels, strided.
__kernel void CreateHistogram(__global const uint *src, __global int *counts, int iCount, int iChannels)
{
    __local int shared[BUCKETS];
    for (int k = (int)get_local_id(0); k < BUCKETS; k += (int)get_local_size(0))
        shared[k] = 0;
    barrier(CLK_LOCAL_MEM_FENCE);
    const size_t n = (size_t)iCount;
    for (size_t i = get_global_id(0) * 16; i < n; i += get_global_size(0) * 16) {
        Lanes lanes;
        spread(loadBlock(src, i, n), (int)min((size_t)16, n - i), iChannels, &lanes);
        for (int k = 0; k < 16; ++k) {
            if (!lanes.weight[k])
                continue;
            for (int c = 0; c < 6; ++c)
                if (iChannels & (1 << c))
                    atomic_inc(&shared[c * 256 + lanes.channel[c][k]]);
        }
    }
    barrier(CLK_LOCAL_MEM_FENCE);
    for (int k = (int)get_local_id(0); k < BUCKETS; k += (int)get_local_size(0))
        if (shared[k])
            atomic_add(&counts[k], shared[k]);
}

// For CPU devices, where atomic increments cost dozens of cycles each: every
// work item counts a run of `iRun` pixels (a multiple of 16) privately and
// adds its counts to `counts` once. Even and odd lanes count into copies of
// their own, so that an increment seldom waits for the one before it
// (neighbouring pixels are often alike), and the channels are spelled out:
// both matter more here than anything else. Global size: ceil(iCount / iRun).
__kernel void CreateHistogramRuns(__global const uint *src, __global int *counts, int iCount, int iRun,
                                  int iChannels)
{
    int own[2 * BUCKETS];
    for (int k = 0; k < 2 * BUCKETS; ++k)
        own[k] = 0;
    // One channel alone (as auto level asks) costs one increment a pixel.
    int single = -1;
    for (int c = 0; c < 6; ++c)
        if (iChannels == 1 << c)
            single = c;
    const size_t first = get_global_id(0) * (size_t)iRun;
    const size_t end = min(first + (size_t)iRun, (size_t)iCount);
    for (size_t i = first; i < end; i += 16) {
        Lanes lanes;
        spread(loadBlock(src, i, end), (int)min((size_t)16, end - i), iChannels, &lanes);
        if (single >= 0) {
            __private int *even = own + single * 256, *odd = own + BUCKETS + single * 256;
            for (int k = 0; k < 16; k += 2) {
                even[lanes.channel[single][k]] += lanes.weight[k];
                odd[lanes.channel[single][k + 1]] += lanes.weight[k + 1];
            }
            continue;
        }
        for (int k = 0; k < 16; k += 2) {
            const int w = lanes.weight[k], v = lanes.weight[k + 1];
            own[lanes.channel[0][k]] += w;
            own[256 + lanes.channel[1][k]] += w;
            own[512 + lanes.channel[2][k]] += w;
            own[BUCKETS + lanes.channel[0][k + 1]] += v;
            own[BUCKETS + 256 + lanes.channel[1][k + 1]] += v;
            own[BUCKETS + 512 + lanes.channel[2][k + 1]] += v;
        }
        if (iChannels & (COUNT_HUE | COUNT_SATURATION | COUNT_LIGHTNESS)) {
            for (int k = 0; k < 16; k += 2) {
                const int w = lanes.weight[k], v = lanes.weight[k + 1];
                own[768 + lanes.channel[3][k]] += w;
                own[1024 + lanes.channel[4][k]] += w;
                own[1280 + lanes.channel[5][k]] += w;
                own[BUCKETS + 768 + lanes.channel[3][k + 1]] += v;
                own[BUCKETS + 1024 + lanes.channel[4][k + 1]] += v;
                own[BUCKETS + 1280 + lanes.channel[5][k + 1]] += v;
            }
        }
    }
    // Channels counted on the way but not asked for stay out.
    for (int k = 0; k < BUCKETS; ++k) {
        const int n = own[k] + own[BUCKETS + k];
        if (n && (iChannels & (1 << (k / 256))))
            atomic_add(&counts[k], n);
    }
}

// --- Auto level ---------------------------------------------------------------
// Each kernel replaces one channel value v by levels[v] (256 entries, worked
// out on the host from the histogram); the hue, saturation and lightness
// kernels go through HSL and back. Global size: ceil(iCount / 16).

inline int16 lookUp(__global const int *levels, int16 v)
{
    int lanes[16];
    vstore16(v, 0, lanes);
    for (int k = 0; k < 16; ++k)
        lanes[k] = levels[lanes[k]];
    return vload16(0, lanes);
}

// One of hue (0), saturation (1) or lightness (2) through the levels; the
// pixel goes to HSL and back.
inline uint16 levelHsl(uint16 p, __global const int *levels, int which)
{
    Hsl hsl = rgbToHsl(redOf(p), greenOf(p), blueOf(p));
    if (which == 0)
        hsl.h = lookUp(levels, hsl.h);
    else if (which == 1)
        hsl.s = lookUp(levels, hsl.s);
    else
        hsl.l = lookUp(levels, hsl.l);
    return hslToRgb(p, hsl);
}

__kernel void AutoLevel_Hue(__global const uint *src, __global uint *dest, __global const int *levels, int iCount)
{
    BLOCK_BEGIN
    storeBlock(dest, i, n, levelHsl(p, levels, 0));
}

__kernel void AutoLevel_Saturation(__global const uint *src, __global uint *dest, __global const int *levels,
                                   int iCount)
{
    BLOCK_BEGIN
    storeBlock(dest, i, n, levelHsl(p, levels, 1));
}

__kernel void AutoLevel_Lightness(__global const uint *src, __global uint *dest, __global const int *levels,
                                  int iCount)
{
    BLOCK_BEGIN
    storeBlock(dest, i, n, levelHsl(p, levels, 2));
}

__kernel void AutoLevel_Red(__global const uint *src, __global uint *dest, __global const int *levels, int iCount)
{
    BLOCK_BEGIN
    storeBlock(dest, i, n, withRgb(p, lookUp(levels, redOf(p)), greenOf(p), blueOf(p)));
}

__kernel void AutoLevel_Green(__global const uint *src, __global uint *dest, __global const int *levels, int iCount)
{
    BLOCK_BEGIN
    storeBlock(dest, i, n, withRgb(p, redOf(p), lookUp(levels, greenOf(p)), blueOf(p)));
}

__kernel void AutoLevel_Blue(__global const uint *src, __global uint *dest, __global const int *levels, int iCount)
{
    BLOCK_BEGIN
    storeBlock(dest, i, n, withRgb(p, redOf(p), greenOf(p), lookUp(levels, blueOf(p))));
}
