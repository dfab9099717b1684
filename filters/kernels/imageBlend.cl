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
