#pragma once
// Native documents as plain data, for tests of the readers and of what is
// built from a file: layer records and whole files made through the writer.
#include "DocumentData.h"
#include "DocumentFile.h"

#include <QPainter>

namespace cqtest {

inline LayerData rasterRecord(const QImage &image, double z = 0, QPointF pos = {},
                              int iMode = QPainter::CompositionMode_SourceOver, double opacity = 1.0)
{
    LayerData layer;
    layer.kind = 0;
    layer.name = QStringLiteral("Layer %1").arg(z);
    layer.z = z;
    layer.pos = pos;
    layer.blendingMode = iMode;
    layer.opacity = opacity;
    layer.png = DocumentFile::EncodePng(image);
    return layer;
}

inline LayerData textRecord(const QString &html)
{
    LayerData layer;
    layer.kind = 1;
    layer.name = QStringLiteral("Text");
    layer.html = html;
    return layer;
}

inline QByteArray documentBytes(const QSize &canvas, const QList<LayerData> &layers)
{
    DocumentData data;
    data.canvas = canvas;
    data.layers = layers;
    return DocumentFile::Serialize(data);
}

} // namespace cqtest
