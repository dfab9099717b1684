#include "RegionOutline.h"

#include <algorithm>
#include <vector>

namespace {

struct Edge {
    int x0, y0, x1, y1;
};

struct Interval {
    int left, right; // [left, right)
};

// One horizontal band of the region: its rows [top, bottom) and runs.
struct Band {
    int top = 0, bottom = 0;
    std::vector<Interval> runs;
};

// The parts of a that b does not cover (both sorted and disjoint).
void subtract(const std::vector<Interval> &a, const std::vector<Interval> &b, std::vector<Interval> &out)
{
    out.clear();
    size_t j = 0;
    for (const Interval &run : a) {
        int from = run.left;
        while (j < b.size() && b[j].right <= from)
            ++j;
        for (size_t k = j; k < b.size() && b[k].left < run.right; ++k) {
            if (b[k].left > from)
                out.push_back({from, b[k].left});
            from = std::max(from, b[k].right);
        }
        if (from < run.right)
            out.push_back({from, run.right});
    }
}

} // namespace

namespace RegionOutline {

QPainterPath Path(const QRegion &region)
{
    if (region.isEmpty())
        return QPainterPath();

    // The region's rectangles come in bands, top to bottom, left to right.
    std::vector<Band> bands;
    for (const QRect &r : region) {
        const int bottom = r.y() + r.height();
        if (bands.empty() || bands.back().top != r.y() || bands.back().bottom != bottom)
            bands.push_back({r.y(), bottom, {}});
        std::vector<Interval> &runs = bands.back().runs;
        const int right = r.x() + r.width();
        if (!runs.empty() && runs.back().right >= r.x())
            runs.back().right = std::max(runs.back().right, right);
        else
            runs.push_back({r.x(), right});
    }

    // Directed edges with the region on their right (y grows downward):
    // tops run rightward, bottoms leftward, left sides up, right sides down.
    std::vector<Edge> edges;
    edges.reserve(size_t(region.rectCount()) * 4);
    std::vector<Interval> only;
    const std::vector<Interval> none;
    for (size_t i = 0; i < bands.size(); ++i) {
        const Band &band = bands[i];
        const bool bTouches = i > 0 && bands[i - 1].bottom == band.top;
        const std::vector<Interval> &above = bTouches ? bands[i - 1].runs : none;
        if (i > 0 && !bTouches)
            for (const Interval &run : bands[i - 1].runs)
                edges.push_back({run.right, bands[i - 1].bottom, run.left, bands[i - 1].bottom});
        // Where the band above ends, its bottom; where this one starts, its top.
        subtract(above, band.runs, only);
        for (const Interval &run : only)
            edges.push_back({run.right, band.top, run.left, band.top});
        subtract(band.runs, above, only);
        for (const Interval &run : only)
            edges.push_back({run.left, band.top, run.right, band.top});
        for (const Interval &run : band.runs) {
            edges.push_back({run.left, band.bottom, run.left, band.top});
            edges.push_back({run.right, band.top, run.right, band.bottom});
        }
    }
    for (const Interval &run : bands.back().runs)
        edges.push_back({run.right, bands.back().bottom, run.left, bands.back().bottom});

    // Edges leaving each vertex (two where areas touch at a corner), found
    // through the row of their start. A wand selection of a noisy photo has
    // millions of edges; a hash of nodes spent most of its time allocating
    // and missing the cache.
    const int top = bands.front().top, rows = bands.back().bottom - top + 1;
    std::vector<quint32> rowStart(size_t(rows) + 1, 0);
    for (const Edge &edge : edges)
        ++rowStart[size_t(edge.y0 - top) + 1];
    for (size_t r = 1; r < rowStart.size(); ++r)
        rowStart[r] += rowStart[r - 1];
    // Each row's entries: the start column (biased to sort as unsigned) over
    // the complement of the edge's index, so one sort of plain integers puts
    // the later edge first where two share a vertex.
    const auto entry = [](int x, size_t i) {
        return (quint64(quint32(x) ^ 0x80000000u) << 32) | quint32(~quint32(i));
    };
    std::vector<quint64> byStart(edges.size());
    {
        std::vector<quint32> fill(rowStart.begin(), rowStart.end() - 1);
        for (size_t i = 0; i < edges.size(); ++i)
            byStart[fill[size_t(edges[i].y0 - top)]++] = entry(edges[i].x0, i);
    }
    for (size_t r = 0; r + 1 < rowStart.size(); ++r)
        std::sort(byStart.begin() + rowStart[r], byStart.begin() + rowStart[r + 1]);
    std::vector<char> used(edges.size(), 0);
    const auto take = [&](int x, int y) -> qint64 {
        if (y < top || y - top >= rows)
            return -1;
        const auto end = byStart.begin() + rowStart[size_t(y - top) + 1];
        const quint64 column = entry(x, 0xffffffffu); // the smallest entry of column x
        for (auto it = std::lower_bound(byStart.begin() + rowStart[size_t(y - top)], end, column);
             it != end && (*it & ~quint64(0xffffffffu)) == column; ++it) {
            const size_t e = ~quint32(*it);
            if (!used[e])
                return qint64(e);
        }
        return -1;
    };

    QPainterPath path;
    path.reserve(int(std::min<size_t>(edges.size() + bands.size(), size_t(INT_MAX / 2))));
    for (size_t start = 0; start < edges.size(); ++start) {
        if (used[start])
            continue;
        // Walk the loop; only corners become points of the path.
        qint64 e = qint64(start);
        used[start] = 1;
        path.moveTo(edges[start].x0, edges[start].y0);
        for (;;) {
            const Edge &edge = edges[size_t(e)];
            const qint64 following = take(edge.x1, edge.y1);
            if (following < 0) {
                path.closeSubpath();
                break;
            }
            const Edge &after = edges[size_t(following)];
            const bool bStraight = (edge.x0 == edge.x1) == (after.x0 == after.x1)
                                   && ((edge.x1 - edge.x0 > 0) == (after.x1 - after.x0 > 0))
                                   && ((edge.y1 - edge.y0 > 0) == (after.y1 - after.y0 > 0));
            if (!bStraight)
                path.lineTo(edge.x1, edge.y1);
            used[size_t(following)] = 1;
            e = following;
        }
    }
    return path;
}

} // namespace RegionOutline
