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

// One line of `count` pixels `stride` apart. Each pixel keeps its colour;
// its alpha becomes the average alpha of the `blur` pixels ending at it plus
// that of the `blur` pixels starting at it, clamped to 255. The windows
// stay inside the line; a blur below 1 leaves no glow at all.
inline void glowLine(__global const int *in, __global int *out, int count, size_t stride, int blur)
{
    if (blur < 1) {
        for (int i = 0; i < count; ++i)
            out[i * stride] = withAlpha(in[i * stride], 0);
        return;
    }
    int total = 0;
    for (int i = 0; i < count; ++i) {
        total += alphaOf(in[i * stride]);
        if (i >= blur)
            total -= alphaOf(in[(i - blur) * stride]);
        out[i * stride] = withAlpha(in[i * stride], min(total / blur, 255));
    }
    total = 0;
    for (int i = count - 1; i >= 0; --i) {
        total += alphaOf(in[i * stride]);
        if (i + blur < count)
            total -= alphaOf(in[(i + blur) * stride]);
        const int a = min(total / blur + alphaOf(out[i * stride]), 255);
        out[i * stride] = withAlpha(in[i * stride], a);
    }
}

// One work item per row.
__kernel void outterGlowHorizontal(__global const int *src, __global int *dst, int width, int blur)
{
    const size_t y = get_global_id(0);
    glowLine(src + y * width, dst + y * width, width, 1, blur);
}

// One work item per column.
__kernel void outterGlowVertical(__global const int *src, __global int *dst, int width, int height, int blur)
{
    const size_t x = get_global_id(0);
    glowLine(src + x, dst + x, height, (size_t)width, blur);
}
