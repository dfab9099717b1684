#include "PaintToolSupport.h"

#include "ChildWindow.h"
#include "LayerSnapshotCmd.h"
#include "PixmapLayer.h"

#include <QBitmap>
#include <QMessageBox>
#include <QPainter>
#include <QPainterPath>
#include <QUndoStack>

namespace PaintToolSupport {

PixmapLayer *RasterForPainting(ChildWindow *pWindow)
{
    return pWindow ? RasterForPainting(pWindow->document(), pWindow) : nullptr;
}

PixmapLayer *RasterForPainting(Document *pDocument, QWidget *pParent)
{
    Layer *pLayer = pDocument ? pDocument->CurrentLayer() : nullptr;
    if (!pLayer)
        return nullptr;
    if (pLayer->kind() == Layer::Text) {
        QMessageBox::warning(pParent, QStringLiteral("Woah, bucko."), QStringLiteral("You can't paint on a text layer!"),
                             QMessageBox::Ok);
        return nullptr;
    }
    return pDocument->CurrentRasterLayer();
}

void FinishStroke(Document *pDocument, const QString &operation, bool bChanged)
{
    if (!pDocument)
        return;
    PixmapLayer *pLayer = pDocument->PaintLayer();
    // A stroke that left every pixel as it was records nothing either.
    bChanged = bChanged && pLayer && pLayer->image() != pDocument->BaseImage();
    pDocument->EndPaint();
    if (pLayer && bChanged)
        pDocument->undoStack()->push(new LayerSnapshotCmd(operation + QStringLiteral(" - ") + pLayer->name(), pLayer));
}

// Big enough for the largest brush at a close zoom, small enough for any
// windowing system's cursors.
static constexpr int kMaxCursorSide = 512;

static QCursor outlineCursor(const QPainterPath &path, int iSide)
{
    QPixmap pixmap(iSide, iSide);
    pixmap.fill(Qt::transparent);
    {
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setBrush(Qt::NoBrush);
        painter.setPen(QPen(Qt::black, 3));
        painter.drawPath(path);
        painter.setPen(QPen(Qt::white, 1));
        painter.drawPath(path);
    }
    return QCursor(pixmap, iSide / 2, iSide / 2);
}

QCursor TipOutlineCursor(const QImage &tip, double dZoom)
{
    if (tip.isNull())
        return QCursor(Qt::CrossCursor);
    const QSize size = (QSizeF(tip.size()) * dZoom).toSize().expandedTo(QSize(1, 1)).boundedTo(
        QSize(kMaxCursorSide - 5, kMaxCursorSide - 5));
    const QImage scaled = tip.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    QPainterPath path;
    path.addRegion(QRegion(QBitmap::fromImage(scaled.createAlphaMask())));
    const int side = size.width() + 5;
    return outlineCursor(path.simplified().translated(2.5, 2.5), side);
}

QCursor RoundCursor(int iDiameter, double dZoom)
{
    const int side = qBound(6, int(iDiameter * dZoom) + 5, kMaxCursorSide);
    QPainterPath path;
    path.addEllipse(QRectF(1, 1, side - 5, side - 5));
    return outlineCursor(path, side);
}

} // namespace PaintToolSupport
