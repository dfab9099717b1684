#include "ScanlineFlood.h"

#include <algorithm>
#include <cstdlib>

namespace {

inline int channel(quint32 p, int shift)
{
    return int((p >> shift) & 0xff);
}

inline bool near(quint32 a, quint32 b, int shift, int t)
{
    return std::abs(channel(a, shift) - channel(b, shift)) < t;
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
    m_state.assign(size_t(m_iWidth) * size_t(m_iHeight), kFree);
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
    std::fill(m_state.begin(), m_state.end(), uint8_t(kBlocked));
    const QRegion inside = allowed.intersected(QRect(0, 0, m_iWidth, m_iHeight));
    for (const QRect &r : inside)
        for (int y = r.top(); y <= r.bottom(); ++y) {
            uint8_t *pRow = m_state.data() + size_t(y) * size_t(m_iWidth);
            std::fill(pRow + r.left(), pRow + r.right() + 1, uint8_t(kFree));
        }
}

template <int eMatch> inline bool ScanlineFlood::Hit(quint32 pixel) const
{
    // The seed's own colour is the common case in an area: one comparison.
    return (pixel == m_target && m_iTolerance > 0) || Matches(Match(eMatch), m_target, pixel, m_iTolerance);
}

template <int eMatch> inline bool ScanlineFlood::Open(qsizetype i, const quint32 *pRow, int x) const
{
    return m_state[size_t(i)] == kFree && Hit<eMatch>(pRow[x]);
}

template <int eMatch> void ScanlineFlood::TakeSpan(int x, int y)
{
    uint8_t *pState = m_state.data() + size_t(y) * size_t(m_iWidth);
    const quint32 *pRow = m_pPixels + y * m_iStride;
    pState[x] = kTaken;
    int left = x;
    while (left > 0 && pState[left - 1] == kFree && Hit<eMatch>(pRow[left - 1]))
        pState[--left] = kTaken;
    int right = x;
    while (right + 1 < m_iWidth && pState[right + 1] == kFree && Hit<eMatch>(pRow[right + 1]))
        pState[++right] = kTaken;
    m_spans.push_back({left, right, y});
}

void ScanlineFlood::Run(const QPoint &seed)
{
    m_spans.clear();
    m_bounds = QRect();
    if (!QRect(0, 0, m_iWidth, m_iHeight).contains(seed))
        return;
    m_target = m_pPixels[seed.y() * m_iStride + seed.x()];
    if (m_eMatch == FillMatch)
        RunWith<FillMatch>(seed);
    else
        RunWith<WandMatch>(seed);
}

template <int eMatch> void ScanlineFlood::RunWith(const QPoint &seed)
{
    TakeSpan<eMatch>(seed.x(), seed.y());
    int left = seed.x(), right = seed.x(), top = seed.y(), bottom = seed.y();
    // The span list is the queue: handled spans stay behind the read index.
    for (size_t next = 0; next < m_spans.size(); ++next) {
        const Span span = m_spans[next];
        left = std::min(left, span.left);
        right = std::max(right, span.right);
        top = std::min(top, span.y);
        bottom = std::max(bottom, span.y);
        for (int ny : {span.y - 1, span.y + 1}) {
            if (ny < 0 || ny >= m_iHeight)
                continue;
            const qsizetype rowStart = qsizetype(ny) * m_iWidth;
            const quint32 *pRow = m_pPixels + ny * m_iStride;
            for (int x = span.left; x <= span.right; ++x)
                if (Open<eMatch>(rowStart + x, pRow, x)) {
                    TakeSpan<eMatch>(x, ny);
                    // The new span covers this row up to its right end.
                    x = m_spans.back().right + 1;
                }
        }
    }
    m_bounds = QRect(QPoint(left, top), QPoint(right, bottom));
}

qint64 ScanlineFlood::PixelCount() const
{
    qint64 count = 0;
    for (const Span &span : m_spans)
        count += span.right - span.left + 1;
    return count;
}

QRegion ScanlineFlood::Region() const
{
    if (m_spans.empty())
        return QRegion();
    // Runs of each row, sorted and with touching runs joined.
    std::vector<Span> spans = m_spans;
    std::sort(spans.begin(), spans.end(),
              [](const Span &a, const Span &b) { return a.y != b.y ? a.y < b.y : a.left < b.left; });
    std::vector<Span> runs;
    runs.reserve(spans.size());
    for (const Span &span : spans) {
        if (!runs.empty() && runs.back().y == span.y && runs.back().right + 1 >= span.left)
            runs.back().right = std::max(runs.back().right, span.right);
        else
            runs.push_back(span);
    }
    // Rows whose runs equal the row above's extend its band downward; this
    // is the banded form the region keeps, so it is taken as it is.
    std::vector<QRect> rects;
    rects.reserve(runs.size());
    size_t bandStart = 0; // first rectangle of the current band
    size_t rowStart = 0;
    while (rowStart < runs.size()) {
        size_t rowEnd = rowStart;
        while (rowEnd < runs.size() && runs[rowEnd].y == runs[rowStart].y)
            ++rowEnd;
        const int y = runs[rowStart].y;
        bool bExtends = bandStart < rects.size() && rects[bandStart].bottom() + 1 == y
                        && rects.size() - bandStart == rowEnd - rowStart;
        for (size_t i = 0; bExtends && i < rowEnd - rowStart; ++i)
            bExtends = rects[bandStart + i].left() == runs[rowStart + i].left
                       && rects[bandStart + i].right() == runs[rowStart + i].right;
        if (bExtends) {
            for (size_t i = bandStart; i < rects.size(); ++i)
                rects[i].setBottom(y);
        } else {
            bandStart = rects.size();
            for (size_t i = rowStart; i < rowEnd; ++i)
                rects.push_back(QRect(QPoint(runs[i].left, y), QPoint(runs[i].right, y)));
        }
        rowStart = rowEnd;
    }
    QRegion region;
    region.setRects(rects.data(), int(rects.size()));
    return region;
}
