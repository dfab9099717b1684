// Helpers shared by the per-pixel kernels (included by their files). A
// pixel is one 32-bit integer, alpha in the top byte, then red, green and
// blue. Work items take blocks of 16 pixels with vector arithmetic (a CPU
// device runs it as SIMD); the last block of the image may be short, and
// loadBlock repeats its last pixel into the missing lanes.
#pragma OPENCL FP_CONTRACT OFF

inline uint16 loadBlock(__global const uint *src, size_t i, size_t n)
{
    if (i + 16 <= n)
        return vload16(0, src + i);
    uint lanes[16];
    for (int k = 0; k < 16; ++k)
        lanes[k] = src[min(i + k, n - 1)];
    return vload16(0, lanes);
}

inline void storeBlock(__global uint *dest, size_t i, size_t n, uint16 v)
{
    if (i + 16 <= n) {
        vstore16(v, 0, dest + i);
        return;
    }
    uint lanes[16];
    vstore16(v, 0, lanes);
    for (size_t k = 0; i + k < n; ++k)
        dest[i + k] = lanes[k];
}

inline int16 redOf(uint16 p) { return convert_int16((p >> 16) & 255u); }
inline int16 greenOf(uint16 p) { return convert_int16((p >> 8) & 255u); }
inline int16 blueOf(uint16 p) { return convert_int16(p & 255u); }

inline uint16 withRgb(uint16 p, int16 r, int16 g, int16 b)
{
    return (p & 0xff000000u) | (as_uint16(clamp(r, 0, 255)) << 16) | (as_uint16(clamp(g, 0, 255)) << 8)
        | as_uint16(clamp(b, 0, 255));
}

// x rounded to the nearest whole number, halves away from zero, for x >= 0;
// below 0 it gives 0 or less, which callers clamp. Adding the float just
// below one half and truncating is exact for every such x (tried for every
// float from 0 to 300000), where adding a half would round 0.49999997 up.
inline int16 roundHalfAway(float16 x)
{
    return convert_int16_rtz(x + 0.49999997f);
}

#define BLOCK_BEGIN                                                                                 \
    const size_t i = get_global_id(0) * 16, n = (size_t)iCount;                                     \
    if (i >= n)                                                                                     \
        return;                                                                                     \
    const uint16 p = loadBlock(src, i, n);

// The same for kernels that can run over a part of the image: work item
// (i, j) takes the 16 pixels from column 16 i of row j, the last block of a
// row may be short, and rows from iRowEnd on do nothing. Global size:
// (ceil(iWidth / 16), rows).
#define ROW_BLOCK_BEGIN                                                                             \
    const int x0_ = (int)get_global_id(0) * 16, y_ = (int)get_global_id(1);                         \
    if (x0_ >= iWidth || y_ >= iRowEnd)                                                             \
        return;                                                                                     \
    const size_t i = (size_t)y_ * (size_t)iWidth + (size_t)x0_, n = (size_t)(y_ + 1) * (size_t)iWidth; \
    const uint16 p = loadBlock(src, i, n);

// Hue, saturation and lightness on a 0..255 scale. A hue below zero wraps
// once round the 256-step circle.
typedef struct {
    int16 h, s, l;
} Hsl;

// Saturation from the largest and smallest channel and the lightness. Its
// division (as the hue's) is of whole numbers whose sum stays far below
// 2^23, so the float quotient truncates to the integer one; grey (mx = mn)
// divides 0 by at least 1.
inline int16 saturationOf(int16 mx, int16 mn, int16 l)
{
    const int16 under = max(l < 128 ? mx + mn : 510 - mx - mn, 1);
    return convert_int16_rtz(convert_float16(255 * (mx - mn)) / convert_float16(under));
}

inline Hsl rgbToHsl(int16 r, int16 g, int16 b)
{
    const int16 mx = max(r, max(g, b)), mn = min(r, min(g, b));
    Hsl out;
    out.l = (mx + mn) >> 1;
    out.s = saturationOf(mx, mn, out.l);
    // One division for whichever sector the maximum picks; 0 + x is x, so
    // this is the same arithmetic as dividing in each branch. Grey comes
    // out as 0 / 1 in sector 0.
    const int16 numerator = r == mx ? g - b : (g == mx ? b - r : r - g);
    const float16 sector = r == mx ? 0.0f : (g == mx ? 2.0f : 4.0f);
    const float16 hf = sector + convert_float16(numerator) / convert_float16(max(mx - mn, 1));
    // -42 to 213; the negative ones wrap to the top of the circle.
    out.h = convert_int16_rtz(42.666667f * hf) & 255;
    return out;
}

// Every value converted lies between a hair below 0 and a hair above 1, so
// truncation alone keeps the byte within 0..255.
inline int16 toByte(float16 v)
{
    return convert_int16_rtz(v * 255.0f);
}

// v / 255 for whole numbers v from 0 to 255, rounded exactly as the
// division rounds, at a fraction of a division's cost: 3 v times this
// constant rounds to the same float for every v (tried for all 256), where
// v times the rounded reciprocal of 255 is one step off for half of them.
inline float16 over255(int16 v)
{
    return convert_float16(v * 3) * 0x1.56ac02p-10f;
}

// Each channel has a place t on the hue circle (green's is h, red's a third
// ahead, blue's a third behind, wrapped into 0..1) that puts it rising from
// p to q (6t < 1), at q (2t < 1), falling back (3t < 2), or at p. Those
// comparisons depend on the 8-bit hue alone: in each sixth of the circle,
// (3 hue + 1) / 128, one channel rises or falls and the other two sit at q
// and at p (where the comparisons switch in single precision, worked out
// for all 256 hues); hue 0 behaves as the last sixth, where blue falls by a
// rounding step. Where a sixth starts on a third (hues 85 and 170) the
// moving channel's rise or fall is exactly 0, which is p, as the
// comparisons have it. Each pixel interpolates once, in the order
// p + (q - p) 6 t or p + (q - p) (2/3 - t) 6. Saturation 0 makes q = p = l,
// so grey needs no case of its own. Every caller's hue lies in 0..255
// (clamped or looked up in levels that are).
inline uint16 hslToRgb(uint16 p, Hsl hsl)
{
    const float16 h = over255(hsl.h), s = over255(hsl.s), l = over255(hsl.l);
    const float16 q = l < 0.5f ? l * (1.0f + s) : l + s - l * s;
    const float16 pp = 2.0f * l - q;
    const int16 zero = hsl.h == 0;
    const int16 sixth = zero ? (int16)5 : (hsl.h * 3 + 1) >> 7;
    const int16 bit = (int16)1 << sixth;
    const int16 rises = (sixth & 1) == 0;
    // Red moves in sixths 1 and 4, blue in 2 and 5, green in 0 and 3. Red's
    // place passes 1 in all of sixth 4, blue's is below 0 only at hue 0.
    float16 t = h;
    t = (bit & (2 | 16)) != 0 ? t + 1.0f / 3.0f : t;
    t = (bit & (4 | 32)) != 0 ? t - 1.0f / 3.0f : t;
    t = sixth == 4 ? t - 1.0f : t;
    t = zero ? t + 1.0f : t;
    const float16 moved = pp + (q - pp) * (rises ? 6.0f : 2.0f / 3.0f - t) * (rises ? t : 6.0f);
    const int16 mv = toByte(moved), top = toByte(q), bottom = toByte(pp);
    // As red, green and blue: (q, moving, p) in sixth 0 and (moving, q, p) in
    // sixth 1; each later pair of sixths turns the three bytes one more place
    // to the right.
    const uint16 three = as_uint16(rises ? top : mv) << 16 | as_uint16(rises ? mv : top) << 8 | as_uint16(bottom);
    const uint16 turn = as_uint16(sixth >> 1) << 3;
    return (p & 0xff000000u) | ((three >> turn | three << (24u - turn)) & 0xffffffu);
}
