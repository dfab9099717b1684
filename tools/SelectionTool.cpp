#include "SelectionTool.h"

#include "ChildWindow.h"
#include "SelectionCmd.h"

#include <QGraphicsItem>
#include <QGraphicsScene>
#include <QKeyEvent>
#include <QPainter>
#include <QPixmap>
#include <QUndoStack>

void SelectionTool::Activate()
{
    m_keys = Qt::NoModifier;
    AddOptions();
    BeginActivation();
}

void SelectionTool::FinishGesture()
{
    // A gesture cut short still lands where it got to.
    if (IsGesture())
        MouseRelease(Qt::NoButton, m_current, m_keys, m_pWindow);
}

void SelectionTool::Deactivate()
{
    FinishGesture();
    EndActivation();
}

void SelectionTool::BeginGesture(ChildWindow *pWindow, QPoint point, Qt::KeyboardModifiers keys)
{
    m_pWindow = pWindow;
    m_before = pWindow->Selection();
    m_current = point;
    m_keys = keys;
}

void SelectionTool::ApplyShape(const QRegion &shape, Qt::KeyboardModifiers keys)
{
    Document *pDocument = m_pWindow->document();
    PushChange(pDocument, m_before, Combine(pDocument->Selection(), shape, keys, pDocument->canvasSize()));
}

void SelectionTool::KeyPress(QKeyEvent *pEvent)
{
    const Qt::KeyboardModifiers before = m_keys;
    m_keys = KeysAfter(pEvent);
    if ((before ^ m_keys) & (Qt::ShiftModifier | Qt::AltModifier))
        RefreshCursor();
}

void SelectionTool::KeyRelease(QKeyEvent *pEvent)
{
    SelectionTool::KeyPress(pEvent);
}

void SelectionTool::TakeOut(QGraphicsItem *pItem)
{
    if (pItem->scene())
        pItem->scene()->removeItem(pItem);
}

QRegion SelectionTool::Combine(const QRegion &current, const QRegion &shape, Qt::KeyboardModifiers keys,
                               const QSize &canvas)
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

void SelectionTool::PushChange(Document *pDocument, const QRegion &before, const QRegion &after)
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

// The cross-hair, with a plus while Shift adds and a minus while Alt takes away.
QCursor SelectionTool::GetCursor() const
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
        if (m_keys & (Qt::ShiftModifier | Qt::AltModifier))
            painter.drawLine(20, 24, 28, 24);
        if (m_keys & Qt::ShiftModifier)
            painter.drawLine(24, 20, 24, 28);
    }
    return QCursor(pixmap, w / 2, h / 2);
}
