#include "PathActions.h"

#include "Document.h"
#include "LayerSnapshotCmd.h"
#include "Path.h"
#include "PixmapLayer.h"
#include "SelectionCmd.h"

#include <QBitmap>
#include <QPainter>
#include <QUndoStack>

#include <functional>

namespace PathActions {

QRegion Region(const QPainterPath &path, const QSize &canvas)
{
    const QRect bounds = path.controlPointRect().toAlignedRect().intersected(QRect(QPoint(0, 0), canvas));
    if (bounds.isEmpty())
        return QRegion();
    // Drawn without antialiasing, a pixel is filled when its centre is inside.
    QBitmap bitmap(bounds.size());
    bitmap.clear();
    {
        QPainter painter(&bitmap);
        painter.translate(-bounds.topLeft());
        painter.fillPath(path, Qt::color1);
    }
    return QRegion(bitmap).translated(bounds.topLeft());
}

namespace {

void Paint(Document *pDocument, PixmapLayer *pLayer, const QString &operation, const QRectF &reach,
           const std::function<void(QPainter &)> &draw)
{
    if (!pDocument || !pLayer)
        return;
    pDocument->BeginPaint(false, pLayer);
    QPainter *pPainter = pDocument->BeginStroke();
    pPainter->setRenderHint(QPainter::Antialiasing);
    draw(*pPainter);
    const QRect area = reach.toAlignedRect().intersected(QRect(QPoint(0, 0), pDocument->canvasSize()));
    if (!area.isEmpty())
        pDocument->CommitStroke(area);
    pDocument->EndPaint();
    if (!area.isEmpty())
        pDocument->undoStack()->push(new LayerSnapshotCmd(operation + QStringLiteral(" - ") + pLayer->name(), pLayer));
}

} // namespace

void Stroke(Document *pDocument, PixmapLayer *pLayer, const Path &path, const QColor &color, int iWidth)
{
    const QPainterPath shape = path.ToPainterPath();
    const double reach = iWidth / 2.0 + 2;
    Paint(pDocument, pLayer, QStringLiteral("Stroke Path"), shape.controlPointRect().adjusted(-reach, -reach, reach, reach),
          [&](QPainter &painter) {
              painter.setPen(QPen(color, iWidth, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
              painter.setBrush(Qt::NoBrush);
              painter.drawPath(shape);
          });
}

void Fill(Document *pDocument, PixmapLayer *pLayer, const Path &path, const QColor &color)
{
    const QPainterPath shape = path.ToPainterPath();
    Paint(pDocument, pLayer, QStringLiteral("Fill Path"), shape.controlPointRect().adjusted(-2, -2, 2, 2),
          [&](QPainter &painter) { painter.fillPath(shape, color); });
}

void ToSelection(Document *pDocument, const Path &path)
{
    if (!pDocument)
        return;
    const QRegion region = Region(path.ToPainterPath(), pDocument->canvasSize());
    pDocument->undoStack()->push(new SelectionCmd(pDocument, pDocument->Selection(), region));
}

} // namespace PathActions
