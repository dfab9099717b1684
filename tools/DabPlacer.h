#pragma once
#include <QColor>
#include <QList>
#include <QPoint>
#include <QRect>

class CQBrush;

// Where a dab goes, in what colour and at what angle.
struct Dab {
    QRect rect;
    QColor color;  // valid only when colour jitter gave this dab its own colour
    int angle = 0; // degrees about the rectangle's centre
};

// Places dabs along a stroke by a brush's spacing, scatter and jitter. Holds
// only the stroke's progress (first-dab flag, movement since the last dab);
// the brush's settings are read at every dab, so edits show at once. Random
// draws come from Random, in this order per dab: scatter x, scatter y, size,
// hue, saturation, lightness, opacity, then the angle (moves only), each only
// when its setting is not 0.
class DabPlacer
{
public:
    // The next dab is placed whatever the distance moved.
    void Reset();

    // Adds `delta` to the movement; returns false while the movement (its
    // Manhattan length) is shorter than size x Spacing, unless the next dab
    // is the first. Otherwise fills *pDab: a size x size rectangle centred on
    // `pos`, moved by the scatter, grown by the size jitter, and the jittered
    // colour when a colour jitter is set. Hue wraps round 360; saturation,
    // lightness and alpha stay within 0..255. No angle is drawn here.
    bool NextDab(const CQBrush &brush, int iSize, const QColor &color, QPoint delta, QPoint pos, Dab *pDab);
    // A draw of the angle jitter, or 0 when it is 0.
    static int RandomAngle(const CQBrush &brush);

    // A press: Reset, then one dab at `pos`, unrotated.
    Dab Press(const CQBrush &brush, int iSize, const QColor &color, QPoint pos);
    // A move from `from` (where the last press or move ended, already
    // visited) to `to`: the dabs along the pixels of the line in between,
    // each with its drawn angle. A diagonal step counts 2 towards the spacing.
    QList<Dab> Move(const CQBrush &brush, int iSize, const QColor &color, QPoint from, QPoint to);

    // The pixels of the straight line from a to b, both included, in order
    // (integer Bresenham).
    static QList<QPoint> LinePixels(QPoint a, QPoint b);

private:
    bool m_bFirstDab = true;
    QPoint m_movement;
};
