// Edge detect. A pixel is one 32-bit integer, alpha in the top byte, then
// red, green and blue. Each colour channel becomes the largest difference
// across the pixel between opposite neighbours (the two diagonals, up and
// down, left and right); alpha is the pixel's own. Neighbours past an edge
// come from the opposite edge, so a line one pixel across is its own
// neighbour on that axis.

inline int wrapIndex(int c, int n)
{
    return c < 0 ? c + n : (c >= n ? c - n : c);
}

// |a - b| in every byte of four pixels: max - min, which the device does in
// one step per byte lane (abs_diff may not be).
inline uchar16 distance(uint4 a, uint4 b)
{
    const uchar16 x = as_uchar16(a), y = as_uchar16(b);
    return max(x, y) - min(x, y);
}

// Four neighbouring pixels: per channel the largest of |tr - bl|, |br - tl|,
// |t - b| and |r - l|; alpha from `own`.
inline uint4 edges(uint4 own, uint4 tl, uint4 t, uint4 tr, uint4 l, uint4 r, uint4 bl, uint4 b, uint4 br)
{
    const uchar16 d = max(max(distance(tr, bl), distance(br, tl)), max(distance(t, b), distance(r, l)));
    return (as_uint4(d) & 0x00ffffffu) | (own & 0xff000000u);
}

// Global size: (blocks of 16 columns, rows).
__kernel void difference(__global const uint *src, __global uint *dest, int iImageStride, int iImageHeight)
{
    const int width = iImageStride, height = iImageHeight;
    const int x0 = (int)get_global_id(0) * 16, y = (int)get_global_id(1);
    if (x0 >= width)
        return;
    __global const uint *above = src + (size_t)wrapIndex(y - 1, height) * width;
    __global const uint *row = src + (size_t)y * width;
    __global const uint *below = src + (size_t)wrapIndex(y + 1, height) * width;
    __global uint *out = dest + (size_t)y * width;
    if (x0 >= 1 && x0 + 16 < width) {
        for (int x = x0; x < x0 + 16; x += 4)
            vstore4(edges(vload4(0, row + x), vload4(0, above + x - 1), vload4(0, above + x), vload4(0, above + x + 1),
                          vload4(0, row + x - 1), vload4(0, row + x + 1), vload4(0, below + x - 1),
                          vload4(0, below + x), vload4(0, below + x + 1)),
                    0, out + x);
        return;
    }
    for (int x = x0; x < min(x0 + 16, width); ++x) {
        const int xl = wrapIndex(x - 1, width), xr = wrapIndex(x + 1, width);
        out[x] = edges((uint4)row[x], (uint4)above[xl], (uint4)above[x], (uint4)above[xr], (uint4)row[xl],
                       (uint4)row[xr], (uint4)below[xl], (uint4)below[x], (uint4)below[xr]).x;
    }
}
