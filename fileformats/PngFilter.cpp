#include "PngFilter.h"

#include <cstdlib>
#include <cstring>

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
        for (qsizetype i = Bpp; i < n; ++i)
            out[i] = uchar(row[i] - paeth(row[i - Bpp], prev[i], prev[i - Bpp]));
        return;
    }
}

template <int Bpp>
bool undo(uchar type, uchar *row, const uchar *prev, qsizetype n)
{
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
