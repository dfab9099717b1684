// Filters that move pixels: every output pixel is the input pixel at an
// offset from it. A pixel is one 32-bit integer. Global size: (blocks of 16
// columns, rows); rows from iRowEnd on do nothing.

// Pixelate: the offset along an axis is to the first pixel of the next
// block of n, or 0 in the last block, where that would lie past the edge.
inline int blockOffset(int c, int n, int size)
{
    const int d = n - c % n;
    return c + d < size ? d : 0;
}

__kernel void pixelate(__global const uint *src, __global uint *dest, int iSize, int iWidth, int iHeight, int iRowEnd)
{
    const int n = iSize, width = iWidth;
    const int x0 = (int)get_global_id(0) * 16, y = (int)get_global_id(1);
    if (x0 >= width || y >= iRowEnd)
        return;
    __global const uint *row = src + (size_t)(y + blockOffset(y, n, iHeight)) * width;
    __global uint *out = dest + (size_t)y * width;
    // The place in the block steps along without a division per pixel.
    int place = x0 % n;
    for (int x = x0; x < min(x0 + 16, width); ++x) {
        const int d = n - place;
        out[x] = row[x + d < width ? x + d : x];
        place = place + 1 == n ? 0 : place + 1;
    }
}

// Jitter: the offset along each axis is seed mod n - floor(n / 2), or 0
// where that would leave the image. The seeds come from a hash of the
// jitter's seed and the pixel's index, so each pixel and axis draws its own
// 24-bit number and the same seed always gives the same picture.
inline uint16 mixBits(uint16 x)
{
    x ^= x >> 16;
    x *= 0x7feb352du;
    x ^= x >> 15;
    x *= 0x846ca68bu;
    x ^= x >> 16;
    return x;
}

// s mod n for s below 2^24: a float estimate of s / n, corrected by one.
inline int16 modulo(uint16 s, int n)
{
    const int16 v = convert_int16(s);
    int16 q = convert_int16_rtz(convert_float16(v) / (float)n);
    q += (q + 1) * n <= v ? (int16)1 : (int16)0;
    q -= q * n > v ? (int16)1 : (int16)0;
    return v - q * n;
}

__kernel void jitter(__global const uint *src, __global uint *dest, uint iKey, int iSize, int iWidth, int iHeight,
                     int iRowEnd)
{
    const int n = iSize, reach = n / 2, width = iWidth, height = iHeight;
    const int x0 = (int)get_global_id(0) * 16, y = (int)get_global_id(1);
    if (x0 >= width || y >= iRowEnd)
        return;
    const int16 lane = (int16)(0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15);
    const uint16 index = (uint)(y * width + x0) + as_uint16(lane);
    int16 dx = modulo(mixBits(iKey ^ (2u * index)) & 0xffffffu, n) - reach;
    int16 dy = modulo(mixBits(iKey ^ (2u * index + 1u)) & 0xffffffu, n) - reach;
    const int16 x = x0 + lane;
    dx = (x + dx < 0 || x + dx >= width) ? (int16)0 : dx;
    dy = (y + dy < 0 || y + dy >= height) ? (int16)0 : dy;
    int from[16];
    vstore16(dy * width + x + dx, 0, from);
    __global uint *out = dest + (size_t)y * width;
    __global const uint *row = src + (size_t)y * width;
    for (int k = 0; k < min(16, width - x0); ++k)
        out[x0 + k] = row[from[k]];
}
