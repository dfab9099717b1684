// Per-pixel colour kernels. A pixel is one 32-bit integer, alpha in the top
// byte, then red, green and blue; one work item per pixel. Alpha is kept.
// Contraction stays off so that the device rounds like the host code.
#pragma OPENCL FP_CONTRACT OFF

inline int redOf(uint p) { return (int)((p >> 16) & 255u); }
inline int greenOf(uint p) { return (int)((p >> 8) & 255u); }
inline int blueOf(uint p) { return (int)(p & 255u); }

inline uint withRgb(uint p, int r, int g, int b)
{
    return (p & 0xff000000u) | ((uint)clamp(r, 0, 255) << 16) | ((uint)clamp(g, 0, 255) << 8)
        | (uint)clamp(b, 0, 255);
}

__kernel void grayscale(__global const uint *src, __global uint *dest)
{
    const size_t i = get_global_id(0);
    const uint p = src[i];
    const float f = 0.299f * (float)redOf(p) + 0.587f * (float)greenOf(p) + 0.114f * (float)blueOf(p);
    const int g = (int)f;
    dest[i] = withRgb(p, g, g, g);
}

// Each line uses the channels as the lines before it left them.
__kernel void sepia(__global const uint *src, __global uint *dest)
{
    const size_t i = get_global_id(0);
    const uint p = src[i];
    int r = redOf(p), g = greenOf(p), b = blueOf(p);
    r = clamp((int)(0.393f * (float)r + 0.769f * (float)g + 0.189f * (float)b), 0, 255);
    g = clamp((int)(0.349f * (float)r + 0.686f * (float)g + 0.168f * (float)b), 0, 255);
    b = clamp((int)(0.272f * (float)r + 0.534f * (float)g + 0.131f * (float)b), 0, 255);
    dest[i] = withRgb(p, r, g, b);
}

__kernel void invert(__global const uint *src, __global uint *dest)
{
    const size_t i = get_global_id(0);
    dest[i] = src[i] ^ 0x00ffffffu;
}

inline int contrastChannel(int c, float contrast)
{
    return (int)((float)(c - 128) * contrast) + 128;
}

__kernel void brightness(__global const uint *src, __global uint *dest, int iBrightness, float fContrast)
{
    const size_t i = get_global_id(0);
    const uint p = src[i];
    dest[i] = withRgb(p, contrastChannel(redOf(p) + iBrightness, fContrast),
                      contrastChannel(greenOf(p) + iBrightness, fContrast),
                      contrastChannel(blueOf(p) + iBrightness, fContrast));
}

__kernel void colorAdjust(__global const uint *src, __global uint *dest, int iRed, int iGreen, int iBlue,
                          int bMonochrome)
{
    const size_t i = get_global_id(0);
    const uint p = src[i];
    if (bMonochrome) {
        const float f = (float)iRed / 255.0f * (float)redOf(p) + (float)iGreen / 255.0f * (float)greenOf(p)
            + (float)iBlue / 255.0f * (float)blueOf(p);
        const int g = (int)f;
        dest[i] = withRgb(p, g, g, g);
    } else {
        dest[i] = withRgb(p, redOf(p) + iRed, greenOf(p) + iGreen, blueOf(p) + iBlue);
    }
}

inline int solarizeChannel(int c, int threshold)
{
    return c > threshold ? 255 - c : c;
}

__kernel void solarize(__global const uint *src, __global uint *dest, int iRedThreshold, int iGreenThreshold,
                       int iBlueThreshold)
{
    const size_t i = get_global_id(0);
    const uint p = src[i];
    dest[i] = withRgb(p, solarizeChannel(redOf(p), iRedThreshold), solarizeChannel(greenOf(p), iGreenThreshold),
                      solarizeChannel(blueOf(p), iBlueThreshold));
}

// n levels per channel; round() rounds halves away from zero.
inline int posterizeChannel(int c, int n)
{
    const float levels = (float)n;
    return (int)(round((float)c / 255.0f * levels) / levels * 255.0f);
}

__kernel void posterize(__global const uint *src, __global uint *dest, int iRedThreshold, int iGreenThreshold,
                        int iBlueThreshold)
{
    const size_t i = get_global_id(0);
    const uint p = src[i];
    dest[i] = withRgb(p, posterizeChannel(redOf(p), iRedThreshold), posterizeChannel(greenOf(p), iGreenThreshold),
                      posterizeChannel(blueOf(p), iBlueThreshold));
}
