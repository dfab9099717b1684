#pragma once
#include <QImage>
#include <QPoint>
#include <QRect>
#include <QRegion>

#include <cstdint>
#include <vector>

// The flood behind the fill and the magic wand: a 4-connected scan-line fill
// over a straight ARGB32 image. Whole spans are queued (first in, first
// out), a visited map keeps every pixel from being taken twice, and nothing
// recurses, so a 4096 x 4096 area floods in one pass over its pixels.
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

    // Every span taken, in the order taken.
    const std::vector<Span> &Spans() const { return m_spans; }
    bool Taken(int x, int y) const { return m_state[size_t(y) * size_t(m_iWidth) + size_t(x)] == kTaken; }
    QRect Bounds() const { return m_bounds; }
    qint64 PixelCount() const;
    quint32 Target() const { return m_target; }
    // The taken pixels as a region, rows with the same runs merged into bands.
    QRegion Region() const;

    static bool Matches(Match eMatch, quint32 target, quint32 pixel, int iTolerance);

private:
    enum : uint8_t { kFree = 0, kBlocked = 1, kTaken = 2 };
    template <int eMatch> void RunWith(const QPoint &seed);
    template <int eMatch> bool Hit(quint32 pixel) const;
    template <int eMatch> bool Open(qsizetype i, const quint32 *pRow, int x) const;
    template <int eMatch> void TakeSpan(int x, int y);

    const quint32 *m_pPixels;
    qsizetype m_iStride; // in pixels
    int m_iWidth;
    int m_iHeight;
    Match m_eMatch;
    int m_iTolerance;
    quint32 m_target = 0;
    QImage m_image; // keeps the pixels alive
    std::vector<uint8_t> m_state;
    std::vector<Span> m_spans; // the queue; spans stay once handled
    QRect m_bounds;
};
