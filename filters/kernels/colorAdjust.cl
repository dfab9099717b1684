// Channel mixing and hue substitution, one work item per pixel. A pixel is
// one 32-bit integer, alpha in the top byte, then red, green and blue; alpha
// is kept. Contraction stays off so that the device rounds like the host.
#pragma OPENCL FP_CONTRACT OFF

inline int redOf(uint p) { return (int)((p >> 16) & 255u); }
inline int greenOf(uint p) { return (int)((p >> 8) & 255u); }
inline int blueOf(uint p) { return (int)(p & 255u); }

inline uint withRgb(uint p, int r, int g, int b)
{
    return (p & 0xff000000u) | ((uint)clamp(r, 0, 255) << 16) | ((uint)clamp(g, 0, 255) << 8)
        | (uint)clamp(b, 0, 255);
}

inline int mixChannel(int r, int g, int b, __global const float *row, float luminosity)
{
    return (int)round(((float)r * row[0] + (float)g * row[1] + (float)b * row[2]) * luminosity);
}

__kernel void mixer(__global const uint *src, __global uint *dest, __global const float *redChannels,
                    __global const float *greenChannels, __global const float *blueChannels,
                    __global const float *luminosityChannels)
{
    const size_t i = get_global_id(0);
    const uint p = src[i];
    const int r = redOf(p), g = greenOf(p), b = blueOf(p);
    dest[i] = withRgb(p, mixChannel(r, g, b, redChannels, luminosityChannels[0]),
                      mixChannel(r, g, b, greenChannels, luminosityChannels[1]),
                      mixChannel(r, g, b, blueChannels, luminosityChannels[2]));
}

__kernel void monoMixer(__global const uint *src, __global uint *dest, float fRedChannel, float fGreenChannel,
                        float fBlueChannel, float fLuminosity)
{
    const size_t i = get_global_id(0);
    const uint p = src[i];
    const int v = (int)round(((float)redOf(p) * fRedChannel + (float)greenOf(p) * fGreenChannel
                              + (float)blueOf(p) * fBlueChannel) * fLuminosity);
    dest[i] = withRgb(p, v, v, v);
}

// Hue, saturation and lightness on a 0..255 scale. A hue below zero wraps
// once round the 256-step circle.
inline int3 rgbToHsl(int r, int g, int b)
{
    const int mx = max(r, max(g, b)), mn = min(r, min(g, b));
    const int l = (mx + mn) / 2;
    int h = 0, s = 0;
    if (mx != mn) {
        const int d = mx - mn;
        s = l < 128 ? 255 * d / (mx + mn) : 255 * d / (510 - mx - mn);
        float hf;
        if (r == mx)
            hf = (float)(g - b) / (float)d;
        else if (g == mx)
            hf = 2.0f + (float)(b - r) / (float)d;
        else
            hf = 4.0f + (float)(r - g) / (float)d;
        h = (int)(42.666667f * hf);
        if (h < 0)
            h += 256;
    }
    return (int3)(clamp(h, 0, 255), clamp(s, 0, 255), clamp(l, 0, 255));
}

inline float hueToChannel(float p, float q, float t)
{
    if (t < 0.0f)
        t += 1.0f;
    if (t > 1.0f)
        t -= 1.0f;
    if (6.0f * t < 1.0f)
        return p + (q - p) * 6.0f * t;
    if (2.0f * t < 1.0f)
        return q;
    if (3.0f * t < 2.0f)
        return p + (q - p) * (2.0f / 3.0f - t) * 6.0f;
    return p;
}

inline int toByte(float v)
{
    return (int)clamp(v * 255.0f, 0.0f, 255.0f);
}

inline uint hslToRgb(uint p, int3 hsl)
{
    const float h = (float)hsl.x / 255.0f, s = (float)hsl.y / 255.0f, l = (float)hsl.z / 255.0f;
    if (hsl.y == 0)
        return withRgb(p, toByte(l), toByte(l), toByte(l));
    const float q = l < 0.5f ? l * (1.0f + s) : l + s - l * s;
    const float pp = 2.0f * l - q;
    return withRgb(p, toByte(hueToChannel(pp, q, h + 1.0f / 3.0f)), toByte(hueToChannel(pp, q, h)),
                   toByte(hueToChannel(pp, q, h - 1.0f / 3.0f)));
}

// The pixel's hue in whole degrees.
inline int degreesOf(int3 hsl)
{
    return 360 * hsl.x / 255;
}

inline uint shiftHue(uint p, int3 hsl, int iHue, int iSaturationAdjustment, int iLightnessAdjustment)
{
    int h360 = 360 - iHue + degreesOf(hsl);
    if (h360 > 360)
        h360 -= 360;
    const int3 shifted = (int3)(clamp(255 * h360 / 360, 0, 255), clamp(hsl.y + iSaturationAdjustment, 0, 255),
                                clamp(hsl.z + iLightnessAdjustment, 0, 255));
    return hslToRgb(p, shifted);
}

__kernel void hueChange(__global const uint *src, __global uint *dest, int iHue, int iSaturationAdjustment,
                        int iLightnessAdjustment)
{
    const size_t i = get_global_id(0);
    const uint p = src[i];
    const int3 hsl = rgbToHsl(redOf(p), greenOf(p), blueOf(p));
    dest[i] = shiftHue(p, hsl, iHue, iSaturationAdjustment, iLightnessAdjustment);
}

// Only pixels whose hue lies within iAngleRange degrees counter-clockwise of
// iStartAngle change.
__kernel void hueChangeRange(__global const uint *src, __global uint *dest, int iHue, int iStartAngle,
                             int iAngleRange, int iSaturationAdjustment, int iLightnessAdjustment)
{
    const size_t i = get_global_id(0);
    const uint p = src[i];
    const int3 hsl = rgbToHsl(redOf(p), greenOf(p), blueOf(p));
    int delta = degreesOf(hsl) - iStartAngle;
    if (delta < 0)
        delta += 360;
    dest[i] = delta <= iAngleRange ? shiftHue(p, hsl, iHue, iSaturationAdjustment, iLightnessAdjustment) : p;
}
