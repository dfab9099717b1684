// Blurs. A pixel is one 32-bit integer, alpha in the top byte, then red,
// green and blue. Each work item produces a block of 16 neighbouring pixels
// of one row with vector arithmetic, which a CPU device runs as SIMD and a
// GPU as plain loads; blocks near the edges, where samples are mirrored,
// take the per-pixel path.

#define LANES 16

inline uint pixelWith(uint p, int r, int g, int b)
{
    return (p & 0xff000000u) | ((uint)clamp(r, 0, 255) << 16) | ((uint)clamp(g, 0, 255) << 8)
        | (uint)clamp(b, 0, 255);
}

// --- Gaussian ---------------------------------------------------------------
// Sample index for offset o from c in a line of n: below 0 it mirrors without
// repeating the first sample, past the end it is n - 1 - o; whatever still
// falls outside (lines shorter than the reach) is clamped.
inline int gaussianIndex(int c, int o, int n)
{
    int i = c + o;
    if (i < 0)
        i = -i;
    else if (i > n - 1)
        i = n - 1 - o;
    return clamp(i, 0, n - 1);
}

inline uint16 packBlock(uint16 p, float16 r, float16 g, float16 b)
{
    const uint16 ri = as_uint16(clamp(convert_int16_rtz(r), 0, 255));
    const uint16 gi = as_uint16(clamp(convert_int16_rtz(g), 0, 255));
    const uint16 bi = as_uint16(clamp(convert_int16_rtz(b), 0, 255));
    return (p & 0xff000000u) | (ri << 16) | (gi << 8) | bi;
}

// The weights are symmetric, so a sample pair at -k and +k is added before
// it is weighted: red and blue together in one integer (16 bits apart, no
// carry between them), green on its own.
#define ADD_PAIR(pa, pb, w)                                                                         \
    {                                                                                               \
        const uint16 rb_ = ((pa) & 0x00ff00ffu) + ((pb) & 0x00ff00ffu);                             \
        const uint16 g_ = (((pa) >> 8) & 255u) + (((pb) >> 8) & 255u);                              \
        r += convert_float16(rb_ >> 16) * (w);                                                      \
        g += convert_float16(g_) * (w);                                                             \
        b += convert_float16(rb_ & 0xffffu) * (w);                                                  \
    }
#define ADD_ONE(p, w)                                                                               \
    {                                                                                               \
        r += convert_float16(((p) >> 16) & 255u) * (w);                                             \
        g += convert_float16(((p) >> 8) & 255u) * (w);                                              \
        b += convert_float16((p)&255u) * (w);                                                       \
    }

// One pixel, taps in order, samples at `line[(gaussianIndex(c, o, n) % ring) * step]`.
inline uint gaussianPixel(__global const uint *line, int c, int n, int ring, size_t step, __global const float *mask,
                          int radius, uint own)
{
    float r = 0.0f, g = 0.0f, b = 0.0f;
    for (int o = -radius; o <= radius; ++o) {
        const uint p = line[(size_t)(gaussianIndex(c, o, n) % ring) * step];
        const float w = mask[o + radius];
        r += (float)((p >> 16) & 255u) * w;
        g += (float)((p >> 8) & 255u) * w;
        b += (float)(p & 255u) * w;
    }
    return pixelWith(own, (int)r, (int)g, (int)b);
}

// Global size: (blocks of 16 columns, rows); rows from `iRowEnd` on do nothing.
// Row y goes to row y % iRingRows of `dest` (a ring of rows that the vertical
// pass reads in bands; the image's height for a whole intermediate).
__kernel void convolve1DHorizontal(__global const uint *src, __global uint *dest, __global const float *mask,
                                   int iImageWidth, int iMaskRadius, int iRowEnd, int iRingRows)
{
    const int x0 = (int)get_global_id(0) * LANES, y = (int)get_global_id(1);
    const int width = iImageWidth, radius = iMaskRadius;
    if (x0 >= width || y >= iRowEnd)
        return;
    __global const uint *row = src + (size_t)y * width;
    __global uint *out = dest + (size_t)(y % iRingRows) * width;
    if (x0 >= radius && x0 + LANES - 1 + radius < width) {
        float16 r = 0.0f, g = 0.0f, b = 0.0f;
        __global const uint *centre = row + x0;
        const uint16 own = vload16(0, centre);
        ADD_ONE(own, mask[radius]);
        for (int k = 1; k <= radius; ++k) {
            const uint16 pa = vload16(0, centre - k), pb = vload16(0, centre + k);
            ADD_PAIR(pa, pb, mask[radius + k]);
        }
        vstore16(packBlock(own, r, g, b), 0, out + x0);
        return;
    }
    for (int x = x0; x < min(x0 + LANES, width); ++x)
        out[x] = gaussianPixel(row, x, width, width, 1, mask, radius, row[x]);
}

// Global size: (blocks of 16 columns, rows). Rows are read whole, in order;
// rows from `iRowEnd` on do nothing. Row y of the image is row y % iRingRows
// of `src`.
__kernel void convolve1DVertical(__global const uint *src, __global uint *dest, __global const float *mask,
                                 int iImageWidth, int iImageHeight, int iMaskRadius, int iRowEnd, int iRingRows)
{
    const int x0 = (int)get_global_id(0) * LANES, y = (int)get_global_id(1);
    const int width = iImageWidth, height = iImageHeight, radius = iMaskRadius, ring = iRingRows;
    if (x0 >= width || y >= iRowEnd)
        return;
    const int slot = y % ring;
    __global const uint *centre = src + (size_t)slot * width + x0;
    __global uint *out = dest + (size_t)y * width + x0;
    if (x0 + LANES <= width) {
        float16 r = 0.0f, g = 0.0f, b = 0.0f;
        const uint16 own = vload16(0, centre);
        ADD_ONE(own, mask[radius]);
        const bool inside = y >= radius && y + radius < height;
        for (int k = 1; k <= radius; ++k) {
            int above, below;
            if (inside) {
                above = slot - k < 0 ? slot - k + ring : slot - k;
                below = slot + k >= ring ? slot + k - ring : slot + k;
            } else {
                above = gaussianIndex(y, -k, height) % ring;
                below = gaussianIndex(y, k, height) % ring;
            }
            const uint16 pa = vload16(0, src + (size_t)above * width + x0);
            const uint16 pb = vload16(0, src + (size_t)below * width + x0);
            ADD_PAIR(pa, pb, mask[radius + k]);
        }
        vstore16(packBlock(own, r, g, b), 0, out);
        return;
    }
    for (int x = x0; x < width; ++x)
        dest[(size_t)y * width + x] = gaussianPixel(src + x, y, height, ring, (size_t)width, mask, radius,
                                                    src[(size_t)slot * width + x]);
}

// --- Box --------------------------------------------------------------------
// Sample index c in a line of n: below 0 it mirrors without repeating the
// first sample (-1 -> 1), past the end it mirrors repeating the last one
// (n -> n - 1); whatever still falls outside is clamped. A window of m
// covers offsets -m/2 .. m - 1 - m/2.
inline int boxIndex(int c, int n)
{
    if (c < 0)
        c = -c;
    if (c > n - 1)
        c = 2 * n - 1 - c;
    return clamp(c, 0, n - 1);
}

// Inclusive prefix sum across the 16 lanes.
inline uint16 laneScan(uint16 v)
{
    const uint16 z = (uint16)0u;
    v += shuffle2(v, z, (uint16)(16, 0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14));
    v += shuffle2(v, z, (uint16)(16, 16, 0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13));
    v += shuffle2(v, z, (uint16)(16, 16, 16, 16, 0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11));
    v += shuffle2(v, z, (uint16)(16, 16, 16, 16, 16, 16, 16, 16, 0, 1, 2, 3, 4, 5, 6, 7));
    return v;
}

// Window sums along each row: red and blue packed 16 bits apart in `rbSums`
// (a sum of at most 175 samples never carries), green in `gSums`. Both have
// rows of `iPitch` entries. Global size: (chunks of `iChunk` columns, rows);
// each work item slides its window along its chunk, 16 pixels per step.
// Rows from `iRowEnd` on do nothing.
__kernel void boxSumRows(__global const uint *src, __global uint *rbSums, __global ushort *gSums, int iImageWidth,
                         int iMaskStride, int iPitch, int iChunk, int iRowEnd)
{
    const int width = iImageWidth, m = iMaskStride, h = m / 2;
    const int xs = (int)get_global_id(0) * iChunk, y = (int)get_global_id(1);
    if (xs >= width || y >= iRowEnd)
        return;
    const int xe = min(width, xs + iChunk);
    __global const uint *row = src + (size_t)y * width;
    __global uint *rbRow = rbSums + (size_t)y * iPitch;
    __global ushort *gRow = gSums + (size_t)y * iPitch;

    uint rb = 0, g = 0;
    for (int c = xs - h; c < xs - h + m; ++c) {
        const uint p = row[boxIndex(c, width)];
        rb += p & 0x00ff00ffu;
        g += (p >> 8) & 255u;
    }
    // S(x + i) = S(x) + the sum of what enters minus what leaves before i.
    // Unsigned wrap-around cancels out because every S itself fits.
    int x = xs;
    for (; x + LANES <= xe && x - h >= 0 && x + LANES - 1 - h + m < width; x += LANES) {
        const uint16 enter = vload16(0, row + x - h + m), leave = vload16(0, row + x - h);
        const uint16 drb = (enter & 0x00ff00ffu) - (leave & 0x00ff00ffu);
        const uint16 dg = ((enter >> 8) & 255u) - ((leave >> 8) & 255u);
        const uint16 srb = laneScan(drb), sg = laneScan(dg);
        vstore16(rb + srb - drb, 0, rbRow + x);
        vstore16(convert_ushort16(g + sg - dg), 0, gRow + x);
        rb += srb.sf;
        g += sg.sf;
    }
    for (; x < xe; ++x) {
        rbRow[x] = rb;
        gRow[x] = (ushort)g;
        const uint enter = row[boxIndex(x - h + m, width)], leave = row[boxIndex(x - h, width)];
        rb += (enter & 0x00ff00ffu) - (leave & 0x00ff00ffu);
        g += ((enter >> 8) & 255u) - ((leave >> 8) & 255u);
    }
}

// Exact n / d for n below 2^24: a float estimate, then one step of integer
// correction either way.
inline uint16 divideExact(uint16 n, uint d, float inverse)
{
    uint16 q = convert_uint16_rtz(convert_float16(n) * inverse);
    q += as_uint16((q + 1u) * d <= n) & 1u;
    q -= as_uint16(q * d > n) & 1u;
    return q;
}

// Window sums down the columns of the row sums, divided by m * m; alpha is
// the pixel's own. Global size: (blocks of 16 columns rounded up to the work
// group, bands of `iBand` rows); the work group walks its band row by row
// (the barrier keeps it together) so that every row is read in order. Only
// columns left of `iRight` (a multiple of 16, or the width) and rows from
// `iTop` to `iBottom` are written; a global offset moves the columns.
__kernel void boxSumColumns(__global const uint *src, __global const uint *rbSums, __global const ushort *gSums,
                            __global uint *dest, int iImageWidth, int iImageHeight, int iMaskStride, int iPitch,
                            int iBand, int iTop, int iRight, int iBottom)
{
    const int width = iImageWidth, height = iImageHeight, m = iMaskStride, h = m / 2;
    const int x0 = (int)get_global_id(0) * LANES;
    const int y0 = iTop + (int)get_global_id(1) * iBand, y1 = min(iBottom, y0 + iBand);
    const bool live = x0 < iRight;
    const bool full = x0 + LANES <= width;
    uint16 r = 0u, g = 0u, b = 0u;
    if (live) {
        for (int c = y0 - h; c < y0 - h + m; ++c) {
            const size_t o = (size_t)boxIndex(c, height) * iPitch + x0;
            const uint16 rb = vload16(0, rbSums + o);
            r += rb >> 16;
            b += rb & 0xffffu;
            g += convert_uint16(vload16(0, gSums + o));
        }
    }
    const uint d = (uint)(m * m);
    const float inverse = 1.0f / (float)d;
    for (int y = y0; y < y1; ++y) {
        if (live) {
            const size_t o = (size_t)y * width + x0;
            const uint16 qr = min(divideExact(r, d, inverse), 255u);
            const uint16 qg = min(divideExact(g, d, inverse), 255u);
            const uint16 qb = min(divideExact(b, d, inverse), 255u);
            const uint16 rgb = (qr << 16) | (qg << 8) | qb;
            if (full) {
                vstore16((vload16(0, src + o) & 0xff000000u) | rgb, 0, dest + o);
            } else {
                uint lanes[LANES];
                vstore16(rgb, 0, lanes);
                for (int i = 0; i < width - x0; ++i)
                    dest[o + i] = (src[o + i] & 0xff000000u) | lanes[i];
            }
            const size_t enter = (size_t)boxIndex(y - h + m, height) * iPitch + x0;
            const size_t leave = (size_t)boxIndex(y - h, height) * iPitch + x0;
            const uint16 rbIn = vload16(0, rbSums + enter), rbOut = vload16(0, rbSums + leave);
            r += (rbIn >> 16) - (rbOut >> 16);
            b += (rbIn & 0xffffu) - (rbOut & 0xffffu);
            g += convert_uint16(vload16(0, gSums + enter)) - convert_uint16(vload16(0, gSums + leave));
        }
        barrier(CLK_GLOBAL_MEM_FENCE);
    }
}

// --- Square masks -----------------------------------------------------------
// n / d truncated toward zero for |n| below 2^16, given 1 / d: (|n| + 1/2) / d
// lies at least 1/(2d) from an integer, and the float error stays far below
// that, so truncating the float product is exact.
inline int16 divideTowardZero(int16 n, float inverse)
{
    float16 f = convert_float16(n);
    f = (f + copysign((float16)0.5f, f)) * inverse;
    return convert_int16_rtz(f);
}

// One pixel of the mask at (x, y) with every sample mirrored as the box
// blur mirrors them; for the edges and for masks whose sums outgrow the
// vector path.
inline uint convolvePixel(__global const uint *src, __global const int *mask, int x, int y, int width, int height,
                          int m, int sign, int d, int offset)
{
    const int h = m / 2;
    int r = 0, g = 0, b = 0;
    for (int j = 0; j < m; ++j) {
        __global const uint *row = src + (size_t)boxIndex(y + j - h, height) * width;
        for (int i = 0; i < m; ++i) {
            const uint p = row[boxIndex(x + i - h, width)];
            const int w = mask[j * m + i];
            r += (int)((p >> 16) & 255u) * w;
            g += (int)((p >> 8) & 255u) * w;
            b += (int)(p & 255u) * w;
        }
    }
    return pixelWith(src[(size_t)y * width + x], sign * r / d + offset, sign * g / d + offset, sign * b / d + offset);
}

// An m x m integer mask over the offsets -m/2 .. m - 1 - m/2 around each
// pixel: red, green and blue summed with the weights (row by row), divided
// by iFactor truncating toward zero (a factor of 0 counts as 1), plus
// iOffset, clamped to 0..255; alpha is the pixel's own. Global size: (blocks
// of 16 columns, rows).
__kernel void convolve(__global const uint *srcImage, __global uint *destImage, __global const int *mask,
                       int iImageStride, int iImageHeight, int iMaskStride, int iFactor, int iOffset)
{
    const int width = iImageStride, height = iImageHeight, m = iMaskStride, h = m / 2;
    const int x0 = (int)get_global_id(0) * LANES, y = (int)get_global_id(1);
    if (x0 >= width)
        return;
    const int sign = iFactor < 0 ? -1 : 1;
    const int d = iFactor == 0 ? 1 : abs(iFactor);
    int reach = 0;
    for (int k = 0; k < m * m; ++k)
        reach += abs(mask[k]);
    const bool inside = x0 - h >= 0 && x0 + LANES - 1 - h + m <= width && y - h >= 0 && y - h + m <= height;
    if (inside && reach * 255 < 65536) {
        // Sums of positive and of negative weights apart, each channel
        // pair in one lane 16 bits apart (red with blue, green with
        // alpha), which no sum of this reach overflows.
        uint16 posRB = 0u, negRB = 0u, posGA = 0u, negGA = 0u;
        __global const uint *corner = srcImage + (size_t)(y - h) * width + x0 - h;
        for (int j = 0; j < m; ++j) {
            __global const uint *row = corner + (size_t)j * width;
            for (int i = 0; i < m; ++i) {
                const int w = sign * mask[j * m + i];
                if (w == 0)
                    continue;
                const uint16 p = vload16(0, row + i);
                const uint16 rb = p & 0x00ff00ffu, ga = (p >> 8) & 0x00ff00ffu;
                if (w == 1) {
                    posRB += rb;
                    posGA += ga;
                } else if (w > 0) {
                    posRB += rb * (uint)w;
                    posGA += ga * (uint)w;
                } else {
                    negRB += rb * (uint)(-w);
                    negGA += ga * (uint)(-w);
                }
            }
        }
        const float inverse = 1.0f / (float)d;
        int16 r = convert_int16(posRB >> 16) - convert_int16(negRB >> 16);
        int16 g = convert_int16(posGA & 0xffffu) - convert_int16(negGA & 0xffffu);
        int16 b = convert_int16(posRB & 0xffffu) - convert_int16(negRB & 0xffffu);
        r = clamp(divideTowardZero(r, inverse) + iOffset, 0, 255);
        g = clamp(divideTowardZero(g, inverse) + iOffset, 0, 255);
        b = clamp(divideTowardZero(b, inverse) + iOffset, 0, 255);
        const size_t o = (size_t)y * width + x0;
        const uint16 own = vload16(0, srcImage + o);
        vstore16((own & 0xff000000u) | (as_uint16(r) << 16) | (as_uint16(g) << 8) | as_uint16(b), 0, destImage + o);
        return;
    }
    for (int x = x0; x < min(x0 + LANES, width); ++x)
        destImage[(size_t)y * width + x] = convolvePixel(srcImage, mask, x, y, width, height, m, sign, d, iOffset);
}
