#pragma once
// The program around a tool test: the main window shown as at start-up,
// documents holding given pixels, gestures on them, and closing them all
// between cases.
#include "ChildWindow.h"
#include "ColorSwatch.h"
#include "DocTestSupport.h"
#include "FileActions.h"
#include "GestureSupport.h"
#include "GraphicsView.h"
#include "LayerSnapshotCmd.h"
#include "MainWindow.h"
#include "MoveTool.h"
#include "PixmapLayer.h"
#include "ScratchDB.h"
#include "TestSupport.h"
#include "ToolboxDlg.h"
#include "WindowTestSupport.h"

#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPainter>
#include <QToolBar>
#include <QUndoStack>
#include <QtTest>

#include <cmath>
#include <cstdlib>
#include <functional>

namespace cqtest {

// A shown document at 100 % whose one raster layer holds the pixels, with
// that state recorded as its first undo step.
inline ChildWindow *documentWith(MainWindow *pMain, const QImage &pixels)
{
    ChildWindow *pWindow = pMain->fileActions().NewDocument(pixels.size());
    pWindow->SetZoom(100);
    auto *pLayer = pWindow->document()->CurrentRasterLayer();
    setLayerPixels(pLayer, pixels);
    pWindow->undoStack()->push(new LayerSnapshotCmd(QStringLiteral("Fill - New Layer"), pLayer));
    QCoreApplication::processEvents();
    return pWindow;
}


// Between cases: the brush chosen again and every document closed.
inline void endToolCase(MainWindow *pMain)
{
    pMain->toolbox()->Select(ToolSet::Brush);
    closeAllDocuments(pMain);
}

inline PixmapLayer *layerOf(ChildWindow *pWindow)
{
    return pWindow->document()->CurrentRasterLayer();
}

template <class Tool> Tool *toolOf(MainWindow *pMain, ToolSet::Kind eKind)
{
    return static_cast<Tool *>(pMain->toolbox()->tools().Tool(eKind));
}

// A drag between canvas points on the move tool's overlay, which takes the
// mouse in screen pixels.
inline void overlayDrag(ChildWindow *pWindow, QPointF from, QPointF to)
{
    auto *pMain = qobject_cast<MainWindow *>(pWindow->window());
    const CanvasOverlay &overlay = toolOf<MoveTool>(pMain, ToolSet::Move)->Overlay();
    QWidget *pViewport = pWindow->overlayView()->viewport();
    QTest::mousePress(pViewport, Qt::LeftButton, {}, overlay.FromCanvas(from).toPoint());
    QTest::mouseMove(pViewport, overlay.FromCanvas((from + to) / 2).toPoint());
    QTest::mouseMove(pViewport, overlay.FromCanvas(to).toPoint());
    QTest::mouseRelease(pViewport, Qt::LeftButton, {}, overlay.FromCanvas(to).toPoint());
}

// Waits for the scratch store so a layer shows what undo or redo restored.
inline void settle(PixmapLayer *pLayer)
{
    cqtest::scratchStore().Sync();
    cqtest::scratchStore().WaitForPending(pLayer);
}
inline void settle(ChildWindow *pWindow)
{
    settle(pWindow->document()->CurrentRasterLayer());
}

// The last step's name, and undo then redo bringing back the layer's pixels
// before and after it exactly.
inline void checkUndoRedoExact(ChildWindow *pWindow, const QImage &before, const QString &entry)
{
    QUndoStack *pStack = pWindow->undoStack();
    QCOMPARE(pStack->undoText(), entry);
    auto layer = [pWindow] { return pWindow->document()->CurrentRasterLayer(); };
    const QImage after = layer()->image();
    QVERIFY(after != before);
    pStack->undo();
    settle(layer());
    QCOMPARE(layer()->image(), before);
    pStack->redo();
    settle(layer());
    QCOMPARE(layer()->image(), after);
}

inline ColorSwatch *barSwatch(MainWindow *pMain, const QString &name)
{
    return pMain->OptionBar()->findChild<ColorSwatch *>(name);
}

// The largest difference of any channel between two straight images, as
// premultiplied values: the colour of a nearly transparent pixel is not
// held to more than its weight.
inline int maxChannelDiff(const QImage &straightA, const QImage &straightB, const QRect &area = QRect(),
                          QPoint *pWhere = nullptr)
{
    const QImage a = straightA.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    const QImage b = straightB.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    const QRect r = area.isNull() ? a.rect() : area.intersected(a.rect());
    int worst = 0;
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x) {
            const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            const int d = std::max({std::abs(qRed(p) - qRed(q)), std::abs(qGreen(p) - qGreen(q)),
                                    std::abs(qBlue(p) - qBlue(q)), std::abs(qAlpha(p) - qAlpha(q))});
            if (d > worst && pWhere)
                *pWhere = QPoint(x, y);
            worst = std::max(worst, d);
        }
    return worst;
}

// The distance from p to the segment a-b.
inline double distanceToSegment(QPointF p, QPointF a, QPointF b)
{
    const QPointF ab = b - a;
    const double len2 = QPointF::dotProduct(ab, ab);
    const double t = len2 > 0 ? qBound(0.0, QPointF::dotProduct(p - a, ab) / len2, 1.0) : 0;
    const QPointF q = a + t * ab - p;
    return std::hypot(q.x(), q.y());
}

// What a painter draws over straight pixels: drawn premultiplied, read back straight.
inline QImage drawnOver(const QImage &straight, const std::function<void(QPainter &)> &draw)
{
    QImage image = straight.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        draw(painter);
    }
    return image.convertToFormat(QImage::Format_ARGB32);
}

} // namespace cqtest
