#pragma once
#include <QImage>
#include <QPoint>
#include <QRect>
#include <QRegion>

#include <cstdint>
#include <vector>

// The flood behind the fill and the magic wand: 4-connected, over a straight
// ARGB32 image. Each row is compared with the seed's colour sixteen bytes at
// a time and kept as its runs of matching pixels; runs that overlap in
// neighbouring rows are joined (union-find), row after row in order, in a
// band of rows around the seed that grows while the seed's area reaches its
// edge. A noisy photo's area of two million short spans floods in a few tens
// of milliseconds, memory goes sequentially, and nothing is kept per pixel.
class ScanlineFlood {
public:
    // How a pixel is compared with the colour under the seed.
    enum Match {
        // All four channels strictly within the tolerance; under a transparent
        // seed, any pixel whose alpha is below the tolerance.
        FillMatch,
        // Red, green and blue strictly within the tolerance; alpha ignored.
        WandMatch
    };
    struct Span {
        int left;
        int right; // inclusive
        int y;
    };

    ScanlineFlood(const QImage &image, Match eMatch, int iTolerance);

    // Pixels outside `allowed` are never taken (the seed itself excepted).
    // An empty region allows everything.
    void Restrict(const QRegion &allowed);
    // Floods from the seed; a seed outside the image takes nothing.
    void Run(const QPoint &seed);

    // Every span taken, row by row from the top, left to right (listed on
    // first use).
    const std::vector<Span> &Spans() const;
    bool Empty() const { return m_iSpans == 0; }
    bool Taken(int x, int y) const;
    QRect Bounds() const { return m_bounds; }
    qint64 PixelCount() const { return m_iPixels; }
    quint32 Target() const { return m_target; }
    // The taken pixels as a region, rows with the same runs merged into bands.
    QRegion Region() const;

    static bool Matches(Match eMatch, quint32 target, quint32 pixel, int iTolerance);

private:
    struct Row {
        int first = -1; // into m_runs; -1 until the row is scanned
        int count = 0;
    };
    struct RunOf {
        int left;
        int right; // inclusive
    };
    void ScanRow(int y);
    void MatchBits(int y, quint64 *pBits) const;
    void Join(int y);
    int Find(int run);
    // Whether the seed's area has a run in row y.
    bool Reaches(int y, int root);

    const quint32 *m_pPixels;
    qsizetype m_iStride; // in pixels
    int m_iWidth;
    int m_iHeight;
    int m_iWords; // 64-pixel words a row
    Match m_eMatch;
    int m_iTolerance;
    quint32 m_target = 0;
    QPoint m_seed;
    QImage m_image; // keeps the pixels alive
    std::vector<quint64> m_allowed; // m_iWords a row; empty when all is allowed
    std::vector<quint64> m_bits;    // one row's matches
    std::vector<Row> m_rows;
    std::vector<RunOf> m_runs;      // matching runs of the scanned rows, left to right
    std::vector<int> m_parent;      // one a run: the union-find forest
    std::vector<uint8_t> m_taken;   // one a run
    mutable std::vector<Span> m_spans;
    size_t m_iSpans = 0; // taken runs
    qint64 m_iPixels = 0;
    QRect m_bounds;
};
