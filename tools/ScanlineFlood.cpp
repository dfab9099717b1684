#include "ScanlineFlood.h"

#include <algorithm>
#include <bit>
#include <cstdlib>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

inline int channel(quint32 p, int shift)
{
    return int((p >> shift) & 0xff);
}

inline bool near(quint32 a, quint32 b, int shift, int t)
{
    return std::abs(channel(a, shift) - channel(b, shift)) < t;
}

// Sets bits [from, to] of a row of 64-bit words.
void setBits(quint64 *pRow, int from, int to)
{
    const int w0 = from >> 6, w1 = to >> 6;
    const quint64 head = ~quint64(0) << (from & 63);
    const quint64 tail = ~quint64(0) >> (63 - (to & 63));
    if (w0 == w1) {
        pRow[w0] |= head & tail;
        return;
    }
    pRow[w0] |= head;
    std::fill(pRow + w0 + 1, pRow + w1, ~quint64(0));
    pRow[w1] |= tail;
}

} // namespace

ScanlineFlood::ScanlineFlood(const QImage &image, Match eMatch, int iTolerance)
    : m_eMatch(eMatch)
    , m_iTolerance(iTolerance)
    , m_image(image.format() == QImage::Format_ARGB32 ? image : image.convertToFormat(QImage::Format_ARGB32))
{
    m_pPixels = reinterpret_cast<const quint32 *>(m_image.constBits());
    m_iStride = m_image.bytesPerLine() / 4;
    m_iWidth = m_image.width();
    m_iHeight = m_image.height();
    m_iWords = (m_iWidth + 63) / 64;
}

bool ScanlineFlood::Matches(Match eMatch, quint32 target, quint32 pixel, int t)
{
    if (eMatch == WandMatch)
        return near(target, pixel, 16, t) && near(target, pixel, 8, t) && near(target, pixel, 0, t);
    if (channel(target, 24) == 0)
        return channel(pixel, 24) < t;
    return near(target, pixel, 24, t) && near(target, pixel, 16, t) && near(target, pixel, 8, t)
           && near(target, pixel, 0, t);
}

void ScanlineFlood::Restrict(const QRegion &allowed)
{
    if (allowed.isEmpty())
        return;
    m_allowed.assign(size_t(m_iWords) * size_t(m_iHeight), 0);
    const QRegion inside = allowed.intersected(QRect(0, 0, m_iWidth, m_iHeight));
    for (const QRect &r : inside)
        for (int y = r.top(); y <= r.bottom(); ++y)
            setBits(m_allowed.data() + size_t(y) * size_t(m_iWords), r.left(), r.right());
}

// One bit a pixel of row y: whether it matches the seed's colour.
void ScanlineFlood::MatchBits(int y, quint64 *pBits) const
{
    std::fill(pBits, pBits + m_iWords, 0);
    const int t = m_iTolerance;
    if (t <= 0)
        return;
    const quint32 *pRow = m_pPixels + y * m_iStride;
    // A channel matches when its distance from the target's is at most
    // t - 1; the ignored channels always match. Under a transparent seed the
    // fill compares alpha alone, with the target's alpha of 0.
    const bool bAlphaOnly = m_eMatch == FillMatch && channel(m_target, 24) == 0;
    const quint32 ignored = m_eMatch == WandMatch ? 0xff000000u : bAlphaOnly ? 0x00ffffffu : 0u;
    const int limit = std::min(t - 1, 255);
    int x = 0;
#if defined(__SSE2__)
    const __m128i target = _mm_set1_epi32(int(m_target));
    const __m128i slack = _mm_set1_epi8(char(limit));
    const __m128i ignore = _mm_set1_epi32(int(ignored));
    const __m128i zero = _mm_setzero_si128();
    const __m128i ones = _mm_set1_epi32(-1);
    const auto four = [&](int at) {
        const __m128i p = _mm_loadu_si128(reinterpret_cast<const __m128i *>(pRow + at));
        const __m128i distance = _mm_or_si128(_mm_subs_epu8(p, target), _mm_subs_epu8(target, p));
        const __m128i within = _mm_cmpeq_epi8(_mm_subs_epu8(distance, slack), zero);
        const __m128i all = _mm_cmpeq_epi32(_mm_or_si128(within, ignore), ones);
        return quint64(_mm_movemask_ps(_mm_castsi128_ps(all)));
    };
    for (; x + 64 <= m_iWidth; x += 64) {
        quint64 word = 0;
        for (int k = 0; k < 16; ++k)
            word |= four(x + 4 * k) << (4 * k);
        pBits[x >> 6] = word;
    }
    for (; x + 4 <= m_iWidth; x += 4)
        pBits[x >> 6] |= four(x) << (x & 63);
#endif
    for (; x < m_iWidth; ++x)
        if (Matches(m_eMatch, m_target, pRow[x], t))
            pBits[x >> 6] |= quint64(1) << (x & 63);
}

void ScanlineFlood::ScanRow(int y)
{
    quint64 *pBits = m_bits.data();
    MatchBits(y, pBits);
    if (!m_allowed.empty()) {
        const quint64 *pAllowed = m_allowed.data() + size_t(y) * size_t(m_iWords);
        for (int k = 0; k < m_iWords; ++k)
            pBits[k] &= pAllowed[k];
    }
    // The seed is taken whatever it is.
    if (y == m_seed.y())
        pBits[m_seed.x() >> 6] |= quint64(1) << (m_seed.x() & 63);
    Row &row = m_rows[size_t(y)];
    row.first = int(m_runs.size());
    bool bInRun = false;
    int start = 0;
    for (int k = 0; k < m_iWords; ++k) {
        const quint64 word = pBits[k];
        int pos = 0;
        while (pos < 64) {
            const quint64 rest = (bInRun ? ~word : word) >> pos;
            if (rest == 0)
                break;
            pos += std::countr_zero(rest);
            if (bInRun)
                m_runs.push_back({start, k * 64 + pos - 1});
            else
                start = k * 64 + pos;
            bInRun = !bInRun;
        }
    }
    if (bInRun)
        m_runs.push_back({start, m_iWidth - 1});
    row.count = int(m_runs.size()) - row.first;
    for (int i = int(m_parent.size()); i < int(m_runs.size()); ++i)
        m_parent.push_back(i);
}

int ScanlineFlood::Find(int run)
{
    while (m_parent[size_t(run)] != run) {
        m_parent[size_t(run)] = m_parent[size_t(m_parent[size_t(run)])];
        run = m_parent[size_t(run)];
    }
    return run;
}

// Joins the runs of row y with the runs of the row below that they overlap:
// both lists are sorted, so one walk along them finds every pair.
void ScanlineFlood::Join(int y)
{
    const Row &a = m_rows[size_t(y)];
    const Row &b = m_rows[size_t(y) + 1];
    int i = a.first, j = b.first;
    const int iEnd = a.first + a.count, jEnd = b.first + b.count;
    while (i < iEnd && j < jEnd) {
        const RunOf &r = m_runs[size_t(i)];
        const RunOf &s = m_runs[size_t(j)];
        if (r.left <= s.right && s.left <= r.right) {
            const int ri = Find(i), rj = Find(j);
            if (ri != rj)
                m_parent[size_t(std::max(ri, rj))] = std::min(ri, rj);
        }
        if (r.right < s.right)
            ++i;
        else
            ++j;
    }
}

bool ScanlineFlood::Reaches(int y, int root)
{
    const Row &row = m_rows[size_t(y)];
    for (int i = row.first; i < row.first + row.count; ++i)
        if (Find(i) == root)
            return true;
    return false;
}

void ScanlineFlood::Run(const QPoint &seed)
{
    m_spans.clear();
    m_iSpans = 0;
    m_runs.clear();
    m_parent.clear();
    m_taken.clear();
    m_iPixels = 0;
    m_bounds = QRect();
    if (!QRect(0, 0, m_iWidth, m_iHeight).contains(seed))
        return;
    m_seed = seed;
    m_target = m_pPixels[seed.y() * m_iStride + seed.x()];
    m_rows.assign(size_t(m_iHeight), Row());
    m_bits.assign(size_t(m_iWords), 0);
    ScanRow(seed.y());
    int seedRun = m_rows[size_t(seed.y())].first;
    while (m_runs[size_t(seedRun)].right < seed.x())
        ++seedRun;
    // The band of rows joined so far, [top, bottom]: it grows, doubling,
    // on the side where the seed's area touches its edge.
    int top = seed.y(), bottom = seed.y();
    int grow = 32;
    for (;;) {
        const int root = Find(seedRun);
        const bool bUp = top > 0 && Reaches(top, root);
        const bool bDown = bottom + 1 < m_iHeight && Reaches(bottom, root);
        if (!bUp && !bDown)
            break;
        if (bUp)
            for (const int end = std::max(0, top - grow); top > end;) {
                ScanRow(--top);
                Join(top);
            }
        if (bDown)
            for (const int end = std::min(m_iHeight - 1, bottom + grow); bottom < end;) {
                ScanRow(++bottom);
                Join(bottom - 1);
            }
        grow *= 2;
    }
    // The seed's area, row by row.
    const int root = Find(seedRun);
    m_taken.assign(m_runs.size(), 0);
    int left = seed.x(), right = seed.x(), first = seed.y(), last = seed.y();
    for (int y = top; y <= bottom; ++y) {
        const Row &row = m_rows[size_t(y)];
        for (int i = row.first; i < row.first + row.count; ++i) {
            if (Find(i) != root)
                continue;
            const RunOf &run = m_runs[size_t(i)];
            m_taken[size_t(i)] = 1;
            ++m_iSpans;
            m_iPixels += run.right - run.left + 1;
            left = std::min(left, run.left);
            right = std::max(right, run.right);
            first = std::min(first, y);
            last = std::max(last, y);
        }
    }
    m_bounds = QRect(QPoint(left, first), QPoint(right, last));
}

bool ScanlineFlood::Taken(int x, int y) const
{
    if (y < 0 || y >= int(m_rows.size()) || m_rows[size_t(y)].first < 0)
        return false;
    const Row &row = m_rows[size_t(y)];
    const RunOf *pBegin = m_runs.data() + row.first;
    const RunOf *pEnd = pBegin + row.count;
    const RunOf *pRun =
        std::lower_bound(pBegin, pEnd, x, [](const RunOf &r, int at) { return r.right < at; });
    return pRun != pEnd && pRun->left <= x && m_taken[size_t(pRun - m_runs.data())];
}

const std::vector<ScanlineFlood::Span> &ScanlineFlood::Spans() const
{
    if (m_spans.empty() && m_iSpans > 0) {
        m_spans.reserve(m_iSpans);
        for (int y = m_bounds.top(); y <= m_bounds.bottom(); ++y) {
            const Row &row = m_rows[size_t(y)];
            for (int i = row.first; i < row.first + row.count; ++i)
                if (m_taken[size_t(i)])
                    m_spans.push_back({m_runs[size_t(i)].left, m_runs[size_t(i)].right, y});
        }
    }
    return m_spans;
}

QRegion ScanlineFlood::Region() const
{
    if (m_iSpans == 0)
        return QRegion();
    // The taken runs of each row are sorted, apart and maximal. Rows whose
    // runs equal the row above's extend its band downward; this is the
    // banded form the region keeps, so it is taken as it is.
    std::vector<QRect> rects;
    rects.reserve(m_iSpans);
    size_t bandStart = 0; // first rectangle of the current band
    for (int y = m_bounds.top(); y <= m_bounds.bottom(); ++y) {
        const Row &row = m_rows[size_t(y)];
        const size_t rowStart = rects.size();
        for (int i = row.first; i < row.first + row.count; ++i)
            if (m_taken[size_t(i)])
                rects.push_back(QRect(QPoint(m_runs[size_t(i)].left, y), QPoint(m_runs[size_t(i)].right, y)));
        const size_t n = rects.size() - rowStart;
        bool bExtends = n > 0 && bandStart < rowStart && rects[bandStart].bottom() + 1 == y
                        && rowStart - bandStart == n;
        for (size_t i = 0; bExtends && i < n; ++i)
            bExtends = rects[bandStart + i].left() == rects[rowStart + i].left()
                       && rects[bandStart + i].right() == rects[rowStart + i].right();
        if (bExtends) {
            for (size_t i = bandStart; i < rowStart; ++i)
                rects[i].setBottom(y);
            rects.resize(rowStart);
        } else if (n > 0) {
            bandStart = rowStart;
        }
    }
    QRegion region;
    region.setRects(rects.data(), int(rects.size()));
    return region;
}
