#pragma once
#include "Path.h"

#include <QByteArray>
#include <QColor>
#include <QImage>
#include <QList>
#include <QPointF>
#include <QSize>
#include <QString>
#include <QStringList>

// A native document as plain data: what the file holds, with no window,
// scene or panel behind it. The reader fills one completely before any
// window is built, so a bad file never leaves a half-built document.
struct LayerData {
    int kind = -1;               // 0 raster, 1 text
    QString name;
    int blendingMode = 0;        // painter composition-mode code
    double opacity = 1.0;        // the canvas item's opacity, 0..1
    bool visible = true;
    double z = 0.0;
    QPointF pos;
    QByteArray png;              // raster: the pixels as stored
    QImage image;                // raster: the decoded pixels (ARGB32)
    QColor textColor = Qt::black;
    QString html;
    // Raw payloads of the layer's style records (7000): the layer's style
    // manager reads them and gives them (with records it does not know) back.
    QList<QByteArray> styleRecords;
};

struct PathData {
    QString name;
    QPointF start;
    QList<PathItem> items;       // the points after the start record
};

struct DocumentData {
    QString version;
    QSize canvas;
    QList<LayerData> layers;
    QList<PathData> paths;
    // What the reader changed to open the file, one line per layer, for
    // the user (an OpenRaster blending mode the editor does not have).
    QStringList notes;
};
