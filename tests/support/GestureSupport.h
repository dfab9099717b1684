#pragma once
// Mouse and key gestures on a shown document window, in canvas pixels, for
// tests that drive tools the way a user does.
#include "ChildWindow.h"
#include "GraphicsView.h"

#include <QApplication>
#include <QMouseEvent>
#include <QtTest>

namespace cqtest {

// The viewport point over a canvas pixel's top-left corner, which presses,
// moves and releases all report as that pixel (see Situations.h for points
// at any zoom).
inline QPoint viewPoint(ChildWindow *pWindow, QPointF canvasPoint)
{
    return pWindow->view()->mapFromScene(canvasPoint);
}

// Presses at the first point, moves through the others, releases at the
// last; the modifiers go with the press and the release.
inline void dragCanvas(ChildWindow *pWindow, const QList<QPoint> &canvasPoints,
                       Qt::KeyboardModifiers keys = Qt::NoModifier)
{
    QWidget *pViewport = pWindow->view()->viewport();
    QTest::mousePress(pViewport, Qt::LeftButton, keys, viewPoint(pWindow, canvasPoints.first()));
    for (const QPoint &p : canvasPoints.mid(1))
        QTest::mouseMove(pViewport, viewPoint(pWindow, p));
    QTest::mouseRelease(pViewport, Qt::LeftButton, keys, viewPoint(pWindow, canvasPoints.last()));
}

// QTest takes the point (0, 0) for "the widget's centre": tests keep off it.
inline void press(ChildWindow *pWindow, QPointF p, Qt::KeyboardModifiers keys = {})
{
    QTest::mousePress(pWindow->view()->viewport(), Qt::LeftButton, keys, viewPoint(pWindow, p));
}

inline void move(ChildWindow *pWindow, QPointF p)
{
    QTest::mouseMove(pWindow->view()->viewport(), viewPoint(pWindow, p));
}

inline void release(ChildWindow *pWindow, QPointF p, Qt::KeyboardModifiers keys = {})
{
    QTest::mouseRelease(pWindow->view()->viewport(), Qt::LeftButton, keys, viewPoint(pWindow, p));
}

// Presses at the first point, moves through the others, releases at the last.
inline void drag(ChildWindow *pWindow, const QList<QPointF> &points, Qt::KeyboardModifiers keys = {})
{
    press(pWindow, points.first(), keys);
    for (const QPointF &p : points.mid(1))
        move(pWindow, p);
    release(pWindow, points.last(), keys);
}

inline void click(ChildWindow *pWindow, QPointF p, Qt::KeyboardModifiers keys = {})
{
    press(pWindow, p, keys);
    release(pWindow, p, keys);
}

inline void key(ChildWindow *pWindow, Qt::Key eKey)
{
    QTest::keyClick(pWindow->view()->viewport(), eKey);
}

inline void clickCanvas(ChildWindow *pWindow, QPoint canvasPoint, Qt::KeyboardModifiers keys = Qt::NoModifier)
{
    QTest::mouseClick(pWindow->view()->viewport(), Qt::LeftButton, keys, viewPoint(pWindow, canvasPoint));
}

// A mouse event delivered to a widget as the window system would, with
// modifiers also on moves (which the test library's moves do not carry).
inline void sendMouse(QWidget *pWidget, QEvent::Type type, QPointF at, Qt::MouseButton button,
                      Qt::MouseButtons buttons, Qt::KeyboardModifiers keys = Qt::NoModifier)
{
    QMouseEvent event(type, at, pWidget->mapToGlobal(at), button, buttons, keys);
    QApplication::sendEvent(pWidget, &event);
}

} // namespace cqtest
