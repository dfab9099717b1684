// Layer styles: the coloured mask a drop shadow or an outer glow starts
// from, and the outer glow's blur of that mask's alpha. Pixels are 32-bit
// ARGB integers, alpha in the top byte.

inline int alphaOf(int p)
{
    return (int)(((uint)p >> 24) & 0xffu);
}

inline int withAlpha(int p, int a)
{
    return as_int(((uint)p & 0x00ffffffu) | (((uint)a & 0xffu) << 24));
}

inline int16 alphaOf16(int16 p)
{
    return (p >> 24) & 0xff;
}

inline int16 withAlpha16(int16 p, int16 a)
{
    return (p & 0x00ffffff) | ((a & 0xff) << 24);
}

// total / blur for 0 <= total <= 255 * blur and 1 <= blur < 1000, given
// inverse = 1 / blur, without a division (which no vector unit has for
// integers): (total + 0.5) / blur lies at least 0.5 / blur away from every
// whole number, far more than the error of a float reciprocal and product
// below 256, so truncating it gives the integer quotient exactly.
inline int quotient(int total, float inverse)
{
    return (int)(((float)total + 0.5f) * inverse);
}

inline int16 quotient16(int16 total, float inverse)
{
    return convert_int16((convert_float16(total) + 0.5f) * inverse);
}

// One work item per pixel: the given colour, with the source alpha scaled
// by opacity (0 to 1) and truncated.
__kernel void createMask(__global const int *src, __global int *dst, float opacity, int red, int green,
                         int blue)
{
    const size_t i = get_global_id(0);
    const int a = (int)((float)alphaOf(src[i]) * opacity);
    const uint rgb = (((uint)red & 0xffu) << 16) | (((uint)green & 0xffu) << 8) | ((uint)blue & 0xffu);
    dst[i] = as_int((((uint)a & 0xffu) << 24) | rgb);
}

// The outer glow along one line of `count` pixels `stride` apart. Each
// pixel keeps its colour; its alpha becomes the sum of the alphas of the
// `blur` pixels ending at it, divided by blur, plus the same for the `blur`
// pixels starting at it, clamped to 255. The windows stay inside the line.
// Both running sums move in one sweep; a blur below 1 leaves no glow.
inline void glowLine(__global const int *in, __global int *out, int count, size_t stride, int blur)
{
    if (blur < 1) {
        for (int i = 0; i < count; ++i)
            out[i * stride] = withAlpha(in[i * stride], 0);
        return;
    }
    const float inverse = 1.0f / (float)blur;
    int before = 0, after = 0, previous = 0;
    for (int i = 0; i < min(blur, count); ++i)
        after += alphaOf(in[i * stride]);
    for (int i = 0; i < count; ++i) {
        const int p = in[i * stride];
        before += alphaOf(p);
        if (i >= blur)
            before -= alphaOf(in[(i - blur) * stride]);
        after -= previous;
        if (i > 0 && i + blur - 1 < count)
            after += alphaOf(in[(i + blur - 1) * stride]);
        previous = alphaOf(p);
        out[i * stride] = withAlpha(p, min(quotient(before, inverse) + quotient(after, inverse), 255));
    }
}

// One work item per row.
__kernel void outerGlowHorizontal(__global const int *src, __global int *dst, int width, int blur)
{
    const size_t y = get_global_id(0);
    glowLine(src + y * width, dst + y * width, width, 1, blur);
}

// One work item per 16 columns, side by side in vectors, so each step down
// reads whole runs of a row (a column at a time would touch a new row of
// memory with every pixel); the last columns of a width that is no multiple
// of 16 go one by one.
__kernel void outerGlowVertical(__global const int *src, __global int *dst, int width, int height, int blur)
{
    const int x0 = (int)get_global_id(0) * 16;
    if (x0 >= width)
        return;
    const size_t stride = (size_t)width;
    if (x0 + 16 > width || blur < 1) {
        for (int x = x0; x < min(x0 + 16, width); ++x)
            glowLine(src + x, dst + x, height, stride, blur);
        return;
    }
    __global const int *in = src + x0;
    __global int *out = dst + x0;
    const float inverse = 1.0f / (float)blur;
    int16 before = 0, after = 0, previous = 0;
    for (int i = 0; i < min(blur, height); ++i)
        after += alphaOf16(vload16(0, in + i * stride));
    for (int i = 0; i < height; ++i) {
        const int16 p = vload16(0, in + i * stride);
        before += alphaOf16(p);
        if (i >= blur)
            before -= alphaOf16(vload16(0, in + (i - blur) * stride));
        after -= previous;
        if (i > 0 && i + blur - 1 < height)
            after += alphaOf16(vload16(0, in + (i + blur - 1) * stride));
        previous = alphaOf16(p);
        vstore16(withAlpha16(p, min(quotient16(before, inverse) + quotient16(after, inverse), 255)), 0,
                 out + i * stride);
    }
}
