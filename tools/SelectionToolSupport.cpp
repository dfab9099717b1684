#include "SelectionToolSupport.h"

#include "Document.h"
#include "SelectionCmd.h"

#include <QPainter>
#include <QPixmap>
#include <QUndoStack>

namespace SelectionToolSupport {

QRegion Combine(const QRegion &current, const QRegion &shape, Qt::KeyboardModifiers keys, const QSize &canvas)
{
    QRegion result;
    if (keys & Qt::ShiftModifier)
        result = current.united(shape);
    else if (keys & Qt::AltModifier)
        result = current.subtracted(shape);
    else
        result = shape;
    return result.intersected(QRect(QPoint(0, 0), canvas));
}

void PushChange(Document *pDocument, const QRegion &before, const QRegion &after)
{
    if (!pDocument)
        return;
    if (before == after) {
        // The press may have shown something else meanwhile.
        if (pDocument->Selection() != after)
            pDocument->SetSelection(after);
        return;
    }
    pDocument->undoStack()->push(new SelectionCmd(pDocument, before, after));
}

QCursor Cursor(CursorKind eKind)
{
    const int w = 32, h = 32;
    QPixmap pixmap(w, h);
    pixmap.fill(Qt::transparent);
    {
        QPainter painter(&pixmap);
        for (const QPen &pen : {QPen(Qt::white, 3), QPen(Qt::black, 1)}) {
            painter.setPen(pen);
            painter.drawLine(w / 2, 0, w / 2, h);
            painter.drawLine(0, h / 2, w, h / 2);
        }
        painter.setPen(QPen(Qt::black, 1));
        if (eKind != PlainCursor)
            painter.drawLine(20, 24, 28, 24);
        if (eKind == AddCursor)
            painter.drawLine(24, 20, 24, 28);
    }
    return QCursor(pixmap, w / 2, h / 2);
}

CursorKind KindFor(Qt::KeyboardModifiers keys)
{
    if (keys & Qt::ShiftModifier)
        return AddCursor;
    if (keys & Qt::AltModifier)
        return SubtractCursor;
    return PlainCursor;
}

} // namespace SelectionToolSupport
