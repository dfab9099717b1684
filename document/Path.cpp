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
