#pragma once
#include <QList>
#include <QPainterPath>
#include <QPointF>
#include <QString>

// One point of a vector path: how the segment that ends at it is drawn.
struct PathItem {
    enum Kind { MoveTo = 0, LineTo = 1, CubicTo = 2, QuadTo = 3 };
    int kind = MoveTo;
    QPointF first;    // where the segment starts
    QPointF second;   // where the segment ends
    QPointF control1; // cubic and quadratic curves
    QPointF control2; // cubic curves only

    bool operator==(const PathItem &other) const = default;
};

// A named vector path of a document. Its anchors are the points where its
// segments end (the first one is where it starts); a cubic segment's first
// control point belongs to the anchor before it, the second to its own.
class Path {
public:
    explicit Path(const QString &name = QString()) : m_name(name) {}

    QString name() const { return m_name; }
    void setName(const QString &name) { m_name = name; }
    QPointF startPoint() const { return m_start; }
    const QList<PathItem> &items() const { return m_items; }

    // The first point added sets the start point; each later point starts
    // where the previous one ended.
    void AddItem(PathItem item);
    QPainterPath ToPainterPath() const;

    // The geometry as a whole, for undo: start point and points as given.
    void SetPoints(const QPointF &start, const QList<PathItem> &items);
    bool SamePoints(const Path &other) const { return m_start == other.m_start && m_items == other.m_items; }

    int AnchorCount() const { return int(m_items.size()); }
    QPointF Anchor(int iIndex) const { return m_items.at(iIndex).second; }
    // Ends where it starts, with at least two segments.
    bool IsClosed() const;
    // Moves an anchor; the control points that belong to it move along, and
    // a closed path stays closed when its start moves.
    void MoveAnchor(int iIndex, const QPointF &to);
    // Sets control point 1 or 2 of the segment ending at anchor iIndex.
    void MoveControl(int iIndex, int iControl, const QPointF &to);

private:
    void MoveOneAnchor(int iIndex, const QPointF &to);

    QString m_name;
    QPointF m_start;
    QList<PathItem> m_items;
};
