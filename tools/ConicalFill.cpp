#include "ConicalFill.h"

#include "Parallel.h"

#include <QPainter>
#include <QThread>
#include <QtMath>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#define CQ_X86 1
#endif

#include <algorithm>
#include <cmath>
#include <iterator>

namespace {
constexpr double kInvTwoPi = M_1_PI / 2.0;
// The polynomial arc tangent is off by less than 1e-10 radians, a few 1e-8
// of a colour step; a pixel whose step position lies closer than this to a
// step boundary takes the exact arc tangent.
constexpr double kMargin = 1e-6;

// atan(sqrt(s)) / sqrt(s) on 0 <= s <= 1, Chebyshev-fitted (error 7e-11),
// highest power first.
constexpr double kAtan[] = {-0.00066339545711047871931, 0.0047324841934219206571, -0.015828322749149415576,
                            0.033826218952786872197,    -0.053956680571371717816, 0.072282783453772522332,
                            -0.089741719583638810844,   0.11091922963683302164,   -0.14283813255743193563,
                            0.1999990110217155447,      -0.33333331290889987906,  0.99999999992930367522};
constexpr int kTerms = int(std::size(kAtan));

// The painter repeats the table along the angle: its index is the
// truncated position modulo the table size, which two's complement gives.
inline int wrap(int i)
{
    return i & 1023;
}

// What the painter computes: the angle from the centre plus the gradient's,
// as a position that falls once from 1 around the circle, scaled to the
// table. The index is this truncated.
inline double stepPosition(double dAngle)
{
    const double pos = 1 - dAngle * kInvTwoPi;
    return pos * 1023 + 0.5;
}

inline double fastAtan2(double y, double x)
{
    const double ax = std::abs(x), ay = std::abs(y);
    const double z = std::min(ax, ay) / std::max(ax, ay);
    const double s = z * z;
    double p = kAtan[0];
    for (int i = 1; i < kTerms; ++i)
        p = p * s + kAtan[i];
    double r = z * p;
    if (ay > ax)
        r = M_PI_2 - r;
    if (x < 0)
        r = M_PI - r;
    return y < 0 ? -r : r;
}

// Indices of `count` pixels from rx0 along a row, -1 where the polynomial
// cannot decide.
void guessRow(double rx0, double ry, double radians, int count, int *out)
{
    for (int i = 0; i < count; ++i) {
        const double t = stepPosition(fastAtan2(ry, rx0 + i) + radians);
        const int below = int(t - kMargin), above = int(t + kMargin);
        out[i] = below == above ? wrap(below) : -1;
    }
}

#ifdef CQ_X86
// The same four pixels at a time. Rounding differs from the scalar code by
// far less than the margin.
__attribute__((target("avx2,fma"))) void guessRowAvx2(double rx0, double ry, double radians, int count, int *out)
{
    const __m256d signBit = _mm256_set1_pd(-0.0);
    const __m256d yv = _mm256_set1_pd(ry), ay = _mm256_andnot_pd(signBit, yv);
    const __m256d ySign = _mm256_and_pd(signBit, yv);
    const __m256d halfPi = _mm256_set1_pd(M_PI_2), pi = _mm256_set1_pd(M_PI);
    const __m256d angle = _mm256_set1_pd(radians), negInvTwoPi = _mm256_set1_pd(-kInvTwoPi);
    const __m256d one = _mm256_set1_pd(1.0), scale = _mm256_set1_pd(1023.0), half = _mm256_set1_pd(0.5);
    const __m256d margin = _mm256_set1_pd(kMargin), zero = _mm256_setzero_pd();
    const __m128i mask = _mm_set1_epi32(1023), undecided = _mm_set1_epi32(-1);
    __m256d x = _mm256_add_pd(_mm256_set1_pd(rx0), _mm256_setr_pd(0, 1, 2, 3));
    const __m256d four = _mm256_set1_pd(4.0);
    int i = 0;
    for (; i + 4 <= count; i += 4, x = _mm256_add_pd(x, four)) {
        const __m256d ax = _mm256_andnot_pd(signBit, x);
        const __m256d z = _mm256_div_pd(_mm256_min_pd(ax, ay), _mm256_max_pd(ax, ay));
        const __m256d s = _mm256_mul_pd(z, z);
        __m256d p = _mm256_set1_pd(kAtan[0]);
        for (int k = 1; k < kTerms; ++k)
            p = _mm256_fmadd_pd(p, s, _mm256_set1_pd(kAtan[k]));
        __m256d r = _mm256_mul_pd(z, p);
        r = _mm256_blendv_pd(r, _mm256_sub_pd(halfPi, r), _mm256_cmp_pd(ay, ax, _CMP_GT_OQ));
        r = _mm256_blendv_pd(r, _mm256_sub_pd(pi, r), _mm256_cmp_pd(x, zero, _CMP_LT_OQ));
        r = _mm256_xor_pd(r, ySign);
        const __m256d pos = _mm256_fmadd_pd(_mm256_add_pd(r, angle), negInvTwoPi, one);
        const __m256d t = _mm256_fmadd_pd(pos, scale, half);
        const __m128i below = _mm256_cvttpd_epi32(_mm256_sub_pd(t, margin));
        const __m128i above = _mm256_cvttpd_epi32(_mm256_add_pd(t, margin));
        const __m128i sure = _mm_cmpeq_epi32(below, above);
        const __m128i index = _mm_blendv_epi8(undecided, _mm_and_si128(below, mask), sure);
        _mm_storeu_si128(reinterpret_cast<__m128i *>(out + i), index);
    }
    guessRow(rx0 + i, ry, radians, count - i, out + i);
}

// A library's AVX code that did not clean up after itself can leave the
// upper halves of the vector registers marked as in use; every SSE
// instruction of the thread then pays for them (the arc tangent ten times
// over on the CPUs we measured), until someone clears them, which is free.
__attribute__((target("avx"))) void clearUpperHalves()
{
    _mm256_zeroupper();
}
#endif

void cleanVectorState()
{
#ifdef CQ_X86
    if (__builtin_cpu_supports("avx"))
        clearUpperHalves();
#endif
}

using GuessRow = void (*)(double, double, double, int, int *);
GuessRow bestGuessRow()
{
#ifdef CQ_X86
    if (__builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma"))
        return guessRowAvx2;
#endif
    return guessRow;
}
} // namespace

int ConicalFill::ExactIndex(double rx, double ry, double dRadians)
{
    return wrap(int(stepPosition(std::atan2(ry, rx) + dRadians)));
}

void ConicalFill::RowIndices(double rx0, double ry, double dRadians, int iCount, int *pOut)
{
    static const GuessRow guess = bestGuessRow();
    guess(rx0, ry, dRadians, iCount, pOut);
    for (int i = 0; i < iCount; ++i)
        if (pOut[i] < 0)
            pOut[i] = ExactIndex(rx0 + i, ry, dRadians);
}

bool ConicalFill::Prepare(const QGradientStops &stops)
{
    if (stops != m_stops) {
        m_stops = stops;
        m_bReady = Learn(stops);
    }
    return m_bReady;
}

bool ConicalFill::Learn(const QGradientStops &stops)
{
    // The painter draws a disc of the gradient twice: turned so that every
    // table entry shows up once the angle goes round, and turned so far that
    // the positions pass the end of the table and wrap. Every pixel names
    // its entry; all that name one entry must agree, and every entry must
    // be named.
    constexpr int kSide = 400;
    const QPoint centre(kSide / 2, kSide / 2);
    std::array<bool, kTableSize> seen{};
    for (const double degrees : {180.0, -300.0}) {
        QConicalGradient gradient(centre, degrees);
        gradient.setStops(stops);
        QImage probe(kSide, kSide, QImage::Format_ARGB32_Premultiplied);
        probe.fill(0);
        {
            // As the gradient tool draws into the stroke buffer.
            QPainter painter(&probe);
            painter.setCompositionMode(QPainter::CompositionMode_Source);
            painter.setClipRect(probe.rect());
            painter.setRenderHint(QPainter::Antialiasing);
            painter.setPen(Qt::NoPen);
            painter.setBrush(gradient);
            painter.drawRect(probe.rect());
        }
        const double radians = qDegreesToRadians(degrees);
        for (int y = 0; y < kSide; ++y) {
            const auto *line = reinterpret_cast<const quint32 *>(probe.constScanLine(y));
            for (int x = 0; x < kSide; ++x) {
                const int i = ExactIndex(x + 0.5 - centre.x(), y + 0.5 - centre.y(), radians);
                if (seen[i] && m_table[i] != line[x])
                    return false;
                seen[i] = true;
                m_table[i] = line[x];
            }
        }
    }
    return std::all_of(seen.begin(), seen.end(), [](bool b) { return b; });
}

void ConicalFill::Fill(QImage &target, const QRegion &region, QPoint centre, double dAngle) const
{
    if (!m_bReady || target.format() != QImage::Format_ARGB32_Premultiplied)
        return;
    const double radians = qDegreesToRadians(dAngle);
    uchar *bits = target.bits();
    const qsizetype stride = target.bytesPerLine();
    const QRegion inside = region.intersected(target.rect());
    // Bands of rows for the cores, a few per core so that none waits long.
    qint64 pixels = 0;
    for (const QRect &rect : inside)
        pixels += qint64(rect.width()) * rect.height();
    const int bands = pixels < 20000 ? 1 : 4 * qMax(1, QThread::idealThreadCount());
    QList<std::function<void()>> jobs;
    for (int band = 0; band < bands; ++band)
        jobs << [&, band] {
            cleanVectorState();
            std::vector<int> indices;
            for (const QRect &rect : inside) {
                indices.resize(size_t(rect.width()));
                const int top = rect.top() + int(qint64(rect.height()) * band / bands);
                const int bottom = rect.top() + int(qint64(rect.height()) * (band + 1) / bands);
                for (int y = top; y < bottom; ++y) {
                    // The painter's coordinates: pixel centres, from the centre.
                    RowIndices(rect.left() + 0.5 - centre.x(), y + 0.5 - centre.y(), radians, rect.width(),
                               indices.data());
                    auto *line = reinterpret_cast<quint32 *>(bits + y * stride) + rect.left();
                    for (int i = 0; i < rect.width(); ++i)
                        line[i] = m_table[size_t(indices[size_t(i)])];
                }
            }
        };
    runParallel(jobs);
}
