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
