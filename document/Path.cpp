#include "Path.h"

void Path::AddItem(PathItem item)
{
    if (m_items.isEmpty())
        m_start = item.first;
    else
        item.first = m_items.last().second;
    m_items.append(item);
}

QPainterPath Path::ToPainterPath() const
{
    QPainterPath path(m_start);
    for (const PathItem &item : m_items) {
        switch (item.kind) {
        case PathItem::MoveTo: path.moveTo(item.second); break;
        case PathItem::LineTo: path.lineTo(item.second); break;
        case PathItem::CubicTo: path.cubicTo(item.control1, item.control2, item.second); break;
        case PathItem::QuadTo: path.quadTo(item.control1, item.second); break;
        default: break;
        }
    }
    return path;
}

void Path::SetPoints(const QPointF &start, const QList<PathItem> &items)
{
    m_start = start;
    m_items = items;
}

bool Path::IsClosed() const
{
    return m_items.size() > 2 && m_items.last().second == m_start && m_items.first().kind == PathItem::MoveTo;
}

void Path::MoveOneAnchor(int iIndex, const QPointF &to)
{
    PathItem &item = m_items[iIndex];
    const QPointF delta = to - item.second;
    item.second = to;
    if (item.kind == PathItem::CubicTo)
        item.control2 += delta;
    if (iIndex == 0) {
        item.first = to;
        m_start = to;
    }
    if (iIndex + 1 < m_items.size()) {
        PathItem &next = m_items[iIndex + 1];
        next.first = to;
        if (next.kind == PathItem::CubicTo)
            next.control1 += delta;
    }
}

void Path::MoveAnchor(int iIndex, const QPointF &to)
{
    if (iIndex < 0 || iIndex >= m_items.size())
        return;
    const bool bClosed = IsClosed();
    const int last = int(m_items.size()) - 1;
    MoveOneAnchor(iIndex, to);
    // The start and the closing anchor are one point to the user.
    if (bClosed && iIndex == 0)
        MoveOneAnchor(last, to);
    else if (bClosed && iIndex == last)
        MoveOneAnchor(0, to);
}

void Path::MoveControl(int iIndex, int iControl, const QPointF &to)
{
    if (iIndex < 0 || iIndex >= m_items.size())
        return;
    PathItem &item = m_items[iIndex];
    if (iControl == 1 && (item.kind == PathItem::CubicTo || item.kind == PathItem::QuadTo))
        item.control1 = to;
    else if (iControl == 2 && item.kind == PathItem::CubicTo)
        item.control2 = to;
}
