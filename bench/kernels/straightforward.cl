// The filter kernels in their plain form, one work item per pixel, kept for
// the benchmark to compare the program's kernels against. Not shipped.

__kernel void convolve1DHorizontal(__global const int *src, __global int *dest, __global const float *mask,
                                   int iImageWidth, int iMaskRadius)
{
    const int id = get_global_id(0);
    const int x = id % iImageWidth, row = id - x;
    float4 sum = (float4)(0.0f);
    for (int o = -iMaskRadius; o <= iMaskRadius; ++o) {
        int c = x + o;
        if (c < 0)
            c = -c;
        if (c > iImageWidth - 1)
            c = iImageWidth - 1 - o;
        const int p = src[row + c];
        sum += (float4)((p >> 16) & 255, (p >> 8) & 255, p & 255, 0) * mask[o + iMaskRadius];
    }
    const int4 v = clamp(convert_int4(sum), 0, 255);
    dest[id] = (src[id] & 0xff000000) | (v.x << 16) | (v.y << 8) | v.z;
}

__kernel void convolve1DVertical(__global const int *src, __global int *dest, __global const float *mask,
                                 int iImageWidth, int iImageHeight, int iMaskRadius)
{
    const int id = get_global_id(0);
    const int x = id % iImageWidth, y = id / iImageWidth;
    float4 sum = (float4)(0.0f);
    for (int o = -iMaskRadius; o <= iMaskRadius; ++o) {
        int c = y + o;
        if (c < 0)
            c = -c;
        if (c > iImageHeight - 1)
            c = iImageHeight - 1 - o;
        const int p = src[c * iImageWidth + x];
        sum += (float4)((p >> 16) & 255, (p >> 8) & 255, p & 255, 0) * mask[o + iMaskRadius];
    }
    const int4 v = clamp(convert_int4(sum), 0, 255);
    dest[id] = (src[id] & 0xff000000) | (v.x << 16) | (v.y << 8) | v.z;
}

__kernel void convolve(__global const int *srcImage, __global int *destImage, __global const int *mask,
                       int iImageStride, int iImageHeight, int iMaskStride, int iFactor, int iOffset)
{
    const int id = get_global_id(0);
    const int x = id % iImageStride, y = id / iImageStride, h = iMaskStride / 2;
    int4 sum = (int4)(0);
    for (int j = 0; j < iMaskStride; ++j) {
        int sy = y + j - h;
        if (sy < 0)
            sy = -sy;
        if (sy > iImageHeight - 1)
            sy = iImageHeight - (sy - (iImageHeight - 1));
        for (int i = 0; i < iMaskStride; ++i) {
            int sx = x + i - h;
            if (sx < 0)
                sx = -sx;
            if (sx > iImageStride - 1)
                sx = iImageStride - (sx - (iImageStride - 1));
            const int p = srcImage[sy * iImageStride + sx];
            sum += (int4)((p >> 16) & 255, (p >> 8) & 255, p & 255, (p >> 24) & 255) * mask[j * iMaskStride + i];
        }
    }
    const int4 v = clamp(sum / iFactor + iOffset, 0, 255);
    destImage[id] = (srcImage[id] & 0xff000000) | (v.x << 16) | (v.y << 8) | v.z;
}

__kernel void blurOffsets(__global const int *offsets, __global const int *srcImage, __global int *destImage,
                          int iOffsetLen, int iStride, int iHeight)
{
    const int id = get_global_id(0);
    const int x = id % iStride, y = id / iStride;
    const int own = srcImage[id];
    int4 sum = (int4)((own >> 16) & 255, (own >> 8) & 255, own & 255, (own >> 24) & 255);
    int count = 1;
    for (int j = 0; j < iOffsetLen; ++j) {
        const int sx = x + offsets[2 * j], sy = y + offsets[2 * j + 1];
        if (sx < 0 || sy < 0 || sx >= iStride || sy >= iHeight)
            continue;
        const int p = srcImage[sy * iStride + sx];
        sum += (int4)((p >> 16) & 255, (p >> 8) & 255, p & 255, (p >> 24) & 255);
        ++count;
    }
    const int4 v = sum / count;
    destImage[id] = (v.w << 24) | (v.x << 16) | (v.y << 8) | v.z;
}

__kernel void invert(__global const int *src, __global int *dest)
{
    const int id = get_global_id(0);
    const int p = src[id];
    dest[id] = (p & 0xff000000) | ((255 - ((p >> 16) & 255)) << 16) | ((255 - ((p >> 8) & 255)) << 8)
        | (255 - (p & 255));
}
