#include "PngFilter.h"

#include <cstdlib>
#include <cstring>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace PngFilter {

namespace {

// The predictor closest to a + b - c, ties going to a, then b.
inline int paeth(int a, int b, int c)
{
    const int pa = std::abs(b - c);
    const int pb = std::abs(a - c);
    const int pc = std::abs(a + b - 2 * c);
    if (pa <= pb && pa <= pc)
        return a;
    return pb <= pc ? b : c;
}

#if defined(__SSE2__)
template <int Bpp>
qsizetype applyPaethVector(const uchar *row, const uchar *prev, uchar *out, qsizetype n);
#endif

// Fixed bytes per pixel lets the compiler unroll and vectorise the loops.
template <int Bpp>
void apply(Type type, const uchar *row, const uchar *prev, uchar *out, qsizetype n)
{
    const qsizetype first = qMin<qsizetype>(Bpp, n);
    switch (type) {
    case None:
        std::memcpy(out, row, size_t(n));
        return;
    case Sub:
        std::memcpy(out, row, size_t(first));
        for (qsizetype i = Bpp; i < n; ++i)
            out[i] = uchar(row[i] - row[i - Bpp]);
        return;
    case Up:
        for (qsizetype i = 0; i < n; ++i)
            out[i] = uchar(row[i] - prev[i]);
        return;
    case Average:
        for (qsizetype i = 0; i < first; ++i)
            out[i] = uchar(row[i] - (prev[i] >> 1));
        for (qsizetype i = Bpp; i < n; ++i)
            out[i] = uchar(row[i] - ((row[i - Bpp] + prev[i]) >> 1));
        return;
    case Paeth:
        for (qsizetype i = 0; i < first; ++i)
            out[i] = uchar(row[i] - prev[i]);
        qsizetype i = Bpp;
#if defined(__SSE2__)
        i = applyPaethVector<Bpp>(row, prev, out, n);
#endif
        for (; i < n; ++i)
            out[i] = uchar(row[i] - paeth(row[i - Bpp], prev[i], prev[i - Bpp]));
        return;
    }
}

#if defined(__SSE2__)
// Sub, Average and Paeth chain each pixel to the one before it, which no
// compiler vectorises; whole pixels at a time in vector lanes run several
// times faster than byte by byte.
// A three-byte pixel is read as four where a byte follows it (the spare
// lane is never stored) and written byte by byte, all in registers.
template <int Bpp>
inline __m128i loadPixel(const uchar *p, bool bSpare)
{
    quint32 v = 0;
    std::memcpy(&v, p, Bpp == 3 && bSpare ? 4 : Bpp);
    return _mm_cvtsi32_si128(int(v));
}

template <int Bpp>
inline void storePixel(uchar *p, __m128i v)
{
    const quint32 x = quint32(_mm_cvtsi128_si32(v));
    if constexpr (Bpp == 4) {
        std::memcpy(p, &x, 4);
    } else {
        p[0] = uchar(x);
        p[1] = uchar(x >> 8);
        p[2] = uchar(x >> 16);
    }
}

inline __m128i select(__m128i mask, __m128i a, __m128i b)
{
    return _mm_or_si128(_mm_and_si128(mask, a), _mm_andnot_si128(mask, b));
}

// The Paeth predictor of 16-bit lanes: whichever of a, b and c lies
// nearest a + b - c, ties to a, then b.
inline __m128i paethPredict(__m128i a, __m128i b, __m128i c)
{
    const __m128i zero = _mm_setzero_si128();
    __m128i pa = _mm_sub_epi16(b, c);
    __m128i pb = _mm_sub_epi16(a, c);
    __m128i pc = _mm_add_epi16(pa, pb);
    pa = _mm_max_epi16(pa, _mm_sub_epi16(zero, pa));
    pb = _mm_max_epi16(pb, _mm_sub_epi16(zero, pb));
    pc = _mm_max_epi16(pc, _mm_sub_epi16(zero, pc));
    const __m128i smallest = _mm_min_epi16(pc, _mm_min_epi16(pa, pb));
    return select(_mm_cmpeq_epi16(pa, smallest), a, select(_mm_cmpeq_epi16(pb, smallest), b, c));
}

template <int Bpp>
bool undoPixels(uchar type, uchar *row, const uchar *prev, qsizetype n)
{
    const __m128i zero = _mm_setzero_si128();
    __m128i a = zero;
    const qsizetype spareUpTo = n - 4; // pixels starting at or before this have a byte after them
    switch (type) {
    case Sub:
        for (qsizetype i = 0; i + Bpp <= n; i += Bpp) {
            a = _mm_add_epi8(a, loadPixel<Bpp>(row + i, i <= spareUpTo));
            storePixel<Bpp>(row + i, a);
        }
        return true;
    case Average: {
        // avg_epu8 rounds up; the floor is one less where a + b is odd.
        const __m128i one = _mm_set1_epi8(1);
        for (qsizetype i = 0; i + Bpp <= n; i += Bpp) {
            const __m128i b = loadPixel<Bpp>(prev + i, i <= spareUpTo);
            const __m128i mean = _mm_sub_epi8(_mm_avg_epu8(a, b), _mm_and_si128(_mm_xor_si128(a, b), one));
            a = _mm_add_epi8(loadPixel<Bpp>(row + i, i <= spareUpTo), mean);
            storePixel<Bpp>(row + i, a);
        }
        return true;
    }
    case Paeth: {
        __m128i c = zero;
        for (qsizetype i = 0; i + Bpp <= n; i += Bpp) {
            const __m128i b = _mm_unpacklo_epi8(loadPixel<Bpp>(prev + i, i <= spareUpTo), zero);
            const __m128i x = _mm_unpacklo_epi8(loadPixel<Bpp>(row + i, i <= spareUpTo), zero);
            const __m128i nearest = paethPredict(a, b, c);
            a = _mm_and_si128(_mm_add_epi16(nearest, x), _mm_set1_epi16(0xff));
            storePixel<Bpp>(row + i, _mm_packus_epi16(a, a));
            c = b;
        }
        return true;
    }
    default:
        return false;
    }
}

// Filtering (unlike undoing) needs no result of its own, so Paeth runs 16
// bytes at a time whatever the pixel size; returns where the vector part ended.
template <int Bpp>
qsizetype applyPaethVector(const uchar *row, const uchar *prev, uchar *out, qsizetype n)
{
    const __m128i zero = _mm_setzero_si128();
    qsizetype i = Bpp;
    for (; i + 16 <= n; i += 16) {
        const auto load = [](const uchar *p) { return _mm_loadu_si128(reinterpret_cast<const __m128i *>(p)); };
        const __m128i a = load(row + i - Bpp), b = load(prev + i), c = load(prev + i - Bpp);
        const __m128i lo = paethPredict(_mm_unpacklo_epi8(a, zero), _mm_unpacklo_epi8(b, zero), _mm_unpacklo_epi8(c, zero));
        const __m128i hi = paethPredict(_mm_unpackhi_epi8(a, zero), _mm_unpackhi_epi8(b, zero), _mm_unpackhi_epi8(c, zero));
        _mm_storeu_si128(reinterpret_cast<__m128i *>(out + i), _mm_sub_epi8(load(row + i), _mm_packus_epi16(lo, hi)));
    }
    return i;
}
#endif

template <int Bpp>
bool undo(uchar type, uchar *row, const uchar *prev, qsizetype n)
{
#if defined(__SSE2__)
    if constexpr (Bpp > 1)
        if ((type == Sub || type == Average || type == Paeth) && n % Bpp == 0)
            return undoPixels<Bpp>(type, row, prev, n);
#endif
    const qsizetype first = qMin<qsizetype>(Bpp, n);
    switch (type) {
    case None:
        return true;
    case Sub:
        for (qsizetype i = Bpp; i < n; ++i)
            row[i] = uchar(row[i] + row[i - Bpp]);
        return true;
    case Up:
        for (qsizetype i = 0; i < n; ++i)
            row[i] = uchar(row[i] + prev[i]);
        return true;
    case Average:
        for (qsizetype i = 0; i < first; ++i)
            row[i] = uchar(row[i] + (prev[i] >> 1));
        for (qsizetype i = Bpp; i < n; ++i)
            row[i] = uchar(row[i] + ((row[i - Bpp] + prev[i]) >> 1));
        return true;
    case Paeth:
        for (qsizetype i = 0; i < first; ++i)
            row[i] = uchar(row[i] + prev[i]);
        for (qsizetype i = Bpp; i < n; ++i)
            row[i] = uchar(row[i] + paeth(row[i - Bpp], prev[i], prev[i - Bpp]));
        return true;
    default:
        return false;
    }
}

} // namespace

void Apply(Type type, const uchar *row, const uchar *prev, uchar *out, qsizetype bytes, int bpp)
{
    switch (bpp) {
    case 4: apply<4>(type, row, prev, out, bytes); break;
    case 3: apply<3>(type, row, prev, out, bytes); break;
    default: apply<1>(type, row, prev, out, bytes); break;
    }
}

bool Undo(uchar type, uchar *row, const uchar *prev, qsizetype bytes, int bpp)
{
    switch (bpp) {
    case 4: return undo<4>(type, row, prev, bytes);
    case 3: return undo<3>(type, row, prev, bytes);
    default: return undo<1>(type, row, prev, bytes);
    }
}

} // namespace PngFilter
