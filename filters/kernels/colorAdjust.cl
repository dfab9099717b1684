// Channel mixing and hue substitution. A pixel is one 32-bit integer, alpha
// in the top byte, then red, green and blue; alpha is kept. Each work item
// does a block of 16 pixels with vector arithmetic, every branch written as a
// per-lane choice; the last block may be short. Global size:
// ceil(iCount / 16). Contraction stays off so that the device rounds like
// the host code.
#pragma OPENCL FP_CONTRACT OFF

#include "colorMath.cl"

inline uint16 roundedByte(float16 x)
{
    return as_uint16(clamp(roundHalfAway(x), 0, 255));
}

// Each row's three factors and its luminosity factor come as arguments.
__kernel void mixer(__global const uint *src, __global uint *dest, float fRedRed, float fRedGreen, float fRedBlue,
                    float fRedLuminosity, float fGreenRed, float fGreenGreen, float fGreenBlue, float fGreenLuminosity,
                    float fBlueRed, float fBlueGreen, float fBlueBlue, float fBlueLuminosity, int iCount)
{
    BLOCK_BEGIN
    const float16 r = convert_float16(redOf(p)), g = convert_float16(greenOf(p)), b = convert_float16(blueOf(p));
    storeBlock(dest, i, n,
               (p & 0xff000000u) | roundedByte((r * fRedRed + g * fRedGreen + b * fRedBlue) * fRedLuminosity) << 16
                   | roundedByte((r * fGreenRed + g * fGreenGreen + b * fGreenBlue) * fGreenLuminosity) << 8
                   | roundedByte((r * fBlueRed + g * fBlueGreen + b * fBlueBlue) * fBlueLuminosity));
}

__kernel void monoMixer(__global const uint *src, __global uint *dest, float fRedChannel, float fGreenChannel,
                        float fBlueChannel, float fLuminosity, int iCount)
{
    BLOCK_BEGIN
    const uint16 v = roundedByte((convert_float16(redOf(p)) * fRedChannel + convert_float16(greenOf(p)) * fGreenChannel
                                  + convert_float16(blueOf(p)) * fBlueChannel) * fLuminosity);
    storeBlock(dest, i, n, (p & 0xff000000u) | v << 16 | v << 8 | v);
}

// The pixel's hue in whole degrees, 360 h / 255, and back, 255 h / 360:
// vector integer division runs one lane at a time, so both are a multiply
// and a shift instead, exact over their whole ranges (h 0..255 and 0..360).
inline int16 degreesOf(Hsl hsl)
{
    return (hsl.h * 5783) >> 12;
}

inline int16 levelOfDegrees(int16 h360)
{
    return (h360 * 46422) >> 16;
}

inline uint16 shiftHue(uint16 p, Hsl hsl, int iHue, int iSaturationAdjustment, int iLightnessAdjustment)
{
    int16 h360 = 360 - iHue + degreesOf(hsl);
    h360 = h360 > 360 ? h360 - 360 : h360;
    // 1..360, whose levels stay within 0..255.
    Hsl shifted;
    shifted.h = levelOfDegrees(h360);
    shifted.s = clamp(hsl.s + iSaturationAdjustment, 0, 255);
    shifted.l = clamp(hsl.l + iLightnessAdjustment, 0, 255);
    return hslToRgb(p, shifted);
}

__kernel void hueChange(__global const uint *src, __global uint *dest, int iHue, int iSaturationAdjustment,
                        int iLightnessAdjustment, int iCount)
{
    BLOCK_BEGIN
    // Neutral settings copy: the 8-bit HSL round trip alone moves colours.
    if (iHue == 0 && iSaturationAdjustment == 0 && iLightnessAdjustment == 0) {
        storeBlock(dest, i, n, p);
        return;
    }
    const Hsl hsl = rgbToHsl(redOf(p), greenOf(p), blueOf(p));
    storeBlock(dest, i, n, shiftHue(p, hsl, iHue, iSaturationAdjustment, iLightnessAdjustment));
}

// Only pixels whose hue lies within iAngleRange degrees counter-clockwise of
// iStartAngle change.
__kernel void hueChangeRange(__global const uint *src, __global uint *dest, int iHue, int iStartAngle,
                             int iAngleRange, int iSaturationAdjustment, int iLightnessAdjustment, int iCount)
{
    BLOCK_BEGIN
    if (iHue == 0 && iSaturationAdjustment == 0 && iLightnessAdjustment == 0) {
        storeBlock(dest, i, n, p);
        return;
    }
    const Hsl hsl = rgbToHsl(redOf(p), greenOf(p), blueOf(p));
    int16 delta = degreesOf(hsl) - iStartAngle;
    delta = delta < 0 ? delta + 360 : delta;
    const int16 inside = delta <= iAngleRange;
    // Neighbouring pixels mostly share a hue: a block with none in the range
    // skips the way back to colour.
    if (!any(inside)) {
        storeBlock(dest, i, n, p);
        return;
    }
    storeBlock(dest, i, n, inside ? shiftHue(p, hsl, iHue, iSaturationAdjustment, iLightnessAdjustment) : p);
}
