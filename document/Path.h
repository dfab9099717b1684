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
};

// A named vector path of a document.
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

private:
    QString m_name;
    QPointF m_start;
    QList<PathItem> m_items;
};
