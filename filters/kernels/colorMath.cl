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

inline int16 roundAway(float16 x)
{
    const int16 t = convert_int16_rtz(x);
    const float16 d = x - convert_float16(t);
    return t + (d >= 0.5f ? (int16)1 : (int16)0) - (d <= -0.5f ? (int16)1 : (int16)0);
}

// a / b for 0 <= a < 2^24 and b > 0: a float estimate corrected either way.
inline int16 divide(int16 a, int16 b)
{
    int16 q = convert_int16_rtz(convert_float16(a) / convert_float16(b));
    q -= q * b > a ? (int16)1 : (int16)0;
    q += (q + 1) * b <= a ? (int16)1 : (int16)0;
    return q;
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

// Saturation from the largest and smallest channel and the lightness.
inline int16 saturationOf(int16 mx, int16 mn, int16 l)
{
    const int16 d = mx - mn;
    const int16 grey = d == 0;
    const int16 under = l < 128 ? mx + mn : 510 - mx - mn;
    return grey ? (int16)0 : clamp(divide(255 * d, grey ? (int16)1 : under), 0, 255);
}

inline Hsl rgbToHsl(int16 r, int16 g, int16 b)
{
    const int16 mx = max(r, max(g, b)), mn = min(r, min(g, b));
    const int16 d = mx - mn;
    const int16 grey = d == 0;
    Hsl out;
    out.l = (mx + mn) / 2;
    out.s = saturationOf(mx, mn, out.l);
    // One division for whichever sector the maximum picks; 0 + x is x, so
    // this is the same arithmetic as dividing in each branch.
    const float16 fd = convert_float16(grey ? (int16)1 : d);
    const int16 numerator = r == mx ? g - b : (g == mx ? b - r : r - g);
    const float16 sector = r == mx ? 0.0f : (g == mx ? 2.0f : 4.0f);
    const float16 hf = sector + convert_float16(numerator) / fd;
    int16 h = convert_int16_rtz(42.666667f * hf);
    h = h < 0 ? h + 256 : h;
    out.h = grey ? (int16)0 : clamp(h, 0, 255);
    return out;
}

inline int16 toByte(float16 v)
{
    const float16 s = v * 255.0f;
    return convert_int16_rtz(s < 0.0f ? 0.0f : (s > 255.0f ? 255.0f : s));
}

// v / 255 for whole numbers v from 0 to 255, rounded exactly as the
// division rounds, at a fraction of a division's cost. The product with the
// reciprocal is one step too large exactly when the bit below v's highest
// bit is set (the first fraction bit of v as a float), except for 255; it
// is exact otherwise. (Tried for all 256 values.)
inline float16 over255(int16 v)
{
    const float16 x = convert_float16(v);
    const uint16 step = (as_uint16(x) >> 22) & as_uint16(v != 255) & 1u;
    return as_float16(as_uint16(x * (1.0f / 255.0f)) - step);
}

// a <= v <= b, as a lane mask.
inline int16 within(int16 v, int a, int b)
{
    return as_int16(as_uint16(v - a) <= (uint)(b - a));
}

// Each channel has a place t on the hue circle (green's is h, red's a third
// ahead, blue's a third behind) that puts it rising from p to q (6t < 1), at
// q (2t < 1), falling back (3t < 2), or at p. Those comparisons depend on
// the 8-bit hue alone, so they are made once on it: these are the hues where
// they switch in single precision (worked out for all 256). At t = 0 the rise
// adds nothing to p, so it counts as p. At most one channel rises or falls,
// so each pixel interpolates once, in the order p + (q - p) 6 t or
// p + (q - p) (2/3 - t) 6. Every caller's hue lies in 0..255 (clamped or
// looked up in levels that are).
inline uint16 hslToRgb(uint16 p, Hsl hsl)
{
    const float16 h = over255(hsl.h), s = over255(hsl.s), l = over255(hsl.l);
    const float16 q = l < 0.5f ? l * (1.0f + s) : l + s - l * s;
    const float16 pp = 2.0f * l - q;
    const int16 grey = hsl.s == 0;
    const int16 lightness = toByte(l);
    const int16 hue = hsl.h;
    const int16 redRises = within(hue, 171, 212), greenRises = within(hue, 1, 42), blueRises = within(hue, 86, 127);
    const int16 redMoves = redRises | within(hue, 43, 84), greenMoves = greenRises | within(hue, 128, 169);
    const int16 blueMoves = blueRises | (hue == 0) | (hue >= 213);
    const int16 redTop = hue <= 42 | hue >= 213, greenTop = within(hue, 43, 127), blueTop = within(hue, 128, 212);
    // h lies in [0, 1], so red's place can only pass 1 and blue's only 0.
    const float16 tr0 = h + 1.0f / 3.0f, tb0 = h - 1.0f / 3.0f;
    const float16 tr = tr0 > 1.0f ? tr0 - 1.0f : tr0, tb = tb0 < 0.0f ? tb0 + 1.0f : tb0;
    const float16 t = redMoves ? tr : (greenMoves ? h : tb);
    const int16 rises = redRises | greenRises | blueRises;
    const float16 moved = pp + (q - pp) * (rises ? 6.0f : 2.0f / 3.0f - t) * (rises ? t : 6.0f);
    const int16 movedByte = toByte(moved), qByte = toByte(q), pByte = toByte(pp);
    return withRgb(p, grey ? lightness : (redMoves ? movedByte : (redTop ? qByte : pByte)),
                   grey ? lightness : (greenMoves ? movedByte : (greenTop ? qByte : pByte)),
                   grey ? lightness : (blueMoves ? movedByte : (blueTop ? qByte : pByte)));
}
