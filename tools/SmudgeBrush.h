#pragma once
#include <QImage>
#include <QPoint>
#include <QPointF>
#include <QRect>

#include <vector>

// The smudge tip: a round tip that carries colours along a stroke. At each
// dab it lays what it carries over the pixels under it (by the strength,
// softened towards the rim) and picks up some of what it passed over, so
// colour is dragged in the direction of the stroke and fades out as the tip
// fills with the colours it meets. Works on straight ARGB32 pixels, mixing
// premultiplied so transparent pixels lend no colour.
class SmudgeBrush {
public:
    // Diameter in pixels (at least 1).
    void SetWidth(int iWidth);
    int Width() const { return m_iWidth; }
    // 1 to 100 percent: how much of what the tip carries is laid down, and
    // how long it keeps carrying it.
    void SetStrength(int iPercent);
    int Strength() const { return m_iStrength; }

    // Fills the tip with the pixels of `image` around `centre`; nothing is
    // changed yet.
    void Start(const QImage &image, QPoint centre);
    // Smudges from the last point to `to`, with dabs spaced along the way,
    // changing `image` in place. Returns the rectangle it changed (empty
    // when no dab was due).
    QRect MoveTo(QImage &image, QPoint to);
    // One dab at `centre`; returns the rectangle it changed.
    QRect Dab(QImage &image, QPoint centre);

    // The weight of the tip at an offset from its centre (0 outside).
    double Weight(int dx, int dy) const;

private:
    void BuildWeights();
    QRect TipRect(QPoint centre) const;

    int m_iWidth = 10;
    int m_iStrength = 50;
    std::vector<float> m_weights; // m_iWidth squared
    std::vector<float> m_carried; // premultiplied RGBA, 0..255
    QPointF m_last;
    double m_dPending = 0; // distance walked since the last dab
};
