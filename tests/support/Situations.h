#pragma once
// The places a layer and a view are in when a tool or a filter acts, for
// tests that run the same case in each: the layer at the canvas origin,
// moved, or larger than the canvas and hanging over every edge; the view
// at 100 %, magnified, reduced, and scrolled away from the origin.
//
// A case works in layer coordinates: it gives the layer's pixels and the
// layer pixels its gestures aim at, and checks the layer's own image. The
// situation decides where that layer lies on the canvas and how the view
// shows it; a click reports the layer pixel it really landed on (a reduced
// view cannot reach every pixel).
#include "ChildWindow.h"
#include "Document.h"
#include "FileActions.h"
#include "GraphicsView.h"
#include "LayerSnapshotCmd.h"
#include "MainWindow.h"
#include "PixmapLayer.h"

#include <QCoreApplication>
#include <QScrollArea>
#include <QScrollBar>
#include <QUndoStack>
#include <QtTest>

#include <cmath>
#include <utility>

namespace cqtest {

struct Situation {
    QPoint layerAt;     // the layer's position on the canvas
    QMargins overhang;  // how far the layer reaches past each canvas edge
    int iZoom = 100;    // percent
    bool bScrolled = false;

    // The canvas for a layer of this size.
    QSize canvasFor(QSize layer) const
    {
        return overhang.isNull() ? layer : layer.shrunkBy(overhang);
    }
    // The part of a layer of this size that lies on the canvas, in layer
    // coordinates: where gestures can reach.
    QRect reachable(QSize layer) const
    {
        return QRect(-layerAt, canvasFor(layer)).intersected(QRect(QPoint(0, 0), layer));
    }
};

// The situations every such test runs: layer placements, then zooms and a
// scrolled view. Filters, which never see the view, take the placements only.
inline QList<std::pair<const char *, Situation>> situations(bool bWithViews = true)
{
    QList<std::pair<const char *, Situation>> rows = {
        {"origin", Situation{}},
        {"moved", Situation{QPoint(-37, 23), QMargins(), 100, false}},
        {"overhanging", Situation{QPoint(-13, -9), QMargins(13, 9, 11, 7), 100, false}},
    };
    if (bWithViews)
        rows += {
            {"origin 300%", Situation{QPoint(), QMargins(), 300, false}},
            {"moved 300%", Situation{QPoint(-37, 23), QMargins(), 300, false}},
            {"overhanging 33%", Situation{QPoint(-13, -9), QMargins(13, 9, 11, 7), 33, false}},
            {"moved 33%", Situation{QPoint(-37, 23), QMargins(), 33, false}},
            {"scrolled 800%", Situation{QPoint(-13, -9), QMargins(13, 9, 11, 7), 800, true}},
        };
    return rows;
}

// One test row per situation.
inline void addSituations(bool bWithViews = true)
{
    QTest::addColumn<cqtest::Situation>("situation");
    for (const auto &[name, s] : situations(bWithViews))
        QTest::newRow(name) << s;
}

// A shown document in the situation whose one raster layer holds `pixels`,
// with that state recorded as its first undo step.
inline ChildWindow *documentIn(MainWindow *pMain, const Situation &s, const QImage &pixels)
{
    ChildWindow *pWindow = pMain->fileActions().NewDocument(s.canvasFor(pixels.size()));
    PixmapLayer *pLayer = pWindow->document()->CurrentRasterLayer();
    pLayer->setImage(pixels.convertToFormat(QImage::Format_ARGB32));
    pLayer->setPos(QPointF(s.layerAt));
    pLayer->update();
    pWindow->undoStack()->push(new LayerSnapshotCmd(QStringLiteral("Fill - New Layer"), pLayer));
    pWindow->SetZoom(s.iZoom);
    QCoreApplication::processEvents();
    return pWindow;
}

// The view point for a layer pixel: the one nearest the pixel's middle.
// A scrolled situation first scrolls the window so the point shows, away
// from the window's corner.
inline QPoint viewPointFor(ChildWindow *pWindow, const Situation &s, QPoint layerPixel)
{
    const double z = pWindow->ZoomFactor();
    const QPointF canvas = QPointF(layerPixel + s.layerAt) + QPointF(0.5, 0.5);
    if (s.bScrolled) {
        QScrollArea *pArea = pWindow->scrollArea();
        pArea->ensureVisible(int(canvas.x() * z), int(canvas.y() * z), pArea->viewport()->width() / 3,
                             pArea->viewport()->height() / 3);
        QCoreApplication::processEvents();
    }
    return QPoint(int(std::floor(canvas.x() * z)), int(std::floor(canvas.y() * z)));
}

// The layer pixel a view point shows, worked out from the zoom alone.
inline QPoint layerPixelAt(ChildWindow *pWindow, const Situation &s, QPoint viewPoint)
{
    const double z = pWindow->ZoomFactor();
    return QPoint(int(std::floor(viewPoint.x() / z)), int(std::floor(viewPoint.y() / z))) - s.layerAt;
}

// Clicks the layer pixel (or the nearest one the view can reach) and
// returns the layer pixel the click landed on.
inline QPoint clickLayer(ChildWindow *pWindow, const Situation &s, QPoint layerPixel,
                         Qt::KeyboardModifiers keys = Qt::NoModifier)
{
    const QPoint at = viewPointFor(pWindow, s, layerPixel);
    QTest::mouseClick(pWindow->view()->viewport(), Qt::LeftButton, keys, at);
    return layerPixelAt(pWindow, s, at);
}

// Presses at the first layer pixel, moves through the others and releases
// at the last; returns the layer pixels the events landed on. Only the
// press scrolls a scrolled view: a user's drag does not.
inline QList<QPoint> dragLayer(ChildWindow *pWindow, const Situation &s, const QList<QPoint> &layerPixels,
                               Qt::KeyboardModifiers keys = Qt::NoModifier)
{
    QWidget *pViewport = pWindow->view()->viewport();
    Situation still = s;
    still.bScrolled = false;
    QList<QPoint> landed;
    for (int i = 0; i < layerPixels.size(); ++i) {
        const QPoint at = viewPointFor(pWindow, i == 0 ? s : still, layerPixels[i]);
        if (i == 0)
            QTest::mousePress(pViewport, Qt::LeftButton, keys, at);
        else
            QTest::mouseMove(pViewport, at);
        landed << layerPixelAt(pWindow, s, at);
    }
    QTest::mouseRelease(pViewport, Qt::LeftButton, keys, viewPointFor(pWindow, still, layerPixels.last()));
    return landed;
}

} // namespace cqtest

Q_DECLARE_METATYPE(cqtest::Situation)
