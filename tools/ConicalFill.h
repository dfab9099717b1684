#pragma once
#include <QGradient>
#include <QImage>
#include <QPoint>
#include <QRegion>

#include <array>

class QConicalGradient;

// Fills premultiplied ARGB32 pixels with a conical gradient, pixel for pixel
// as the painter's raster engine draws it, several times faster. The painter
// takes a double-precision arc tangent for every pixel and looks the result
// up in its colour table; this takes a polynomial arc tangent, falls back on
// the exact one only for the few pixels whose colour step it cannot be sure
// of, and shares the rows among the cores. The colour table is the
// painter's own: it is learned from a small picture the painter draws, and
// when that picture does not match this arithmetic the fill refuses and the
// painter has to draw.
class ConicalFill
{
public:
    // Ready to fill with the gradient's stops; false when the painter's
    // colours could not be learned.
    bool Prepare(const QGradientStops &stops);
    // Writes the gradient around `centre` (whole pixels; the gradient's
    // angle in degrees) into the pixels of `region` in `target`.
    void Fill(QImage &target, const QRegion &region, QPoint centre, double dAngle) const;

    // The painter's colour-table entry for the pixel centre at (rx, ry)
    // from the gradient's centre, with the gradient's angle in radians.
    static int ExactIndex(double rx, double ry, double dRadians);
    // The same for iCount pixels along a row, from (rx0, ry) on, the fast
    // way; the same answers.
    static void RowIndices(double rx0, double ry, double dRadians, int iCount, int *pOut);

private:
    bool Learn(const QGradientStops &stops);

    static constexpr int kTableSize = 1024;
    std::array<quint32, kTableSize> m_table{};
    QGradientStops m_stops;
    bool m_bReady = false;
};
