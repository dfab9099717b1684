#include "ImageRotateCmd.h"

#include "Document.h"
#include "CommandSupport.h"
#include "LayerSnapshotCmd.h"

#include <QTransform>

ImageRotateCmd::ImageRotateCmd(Document *pDocument, int iAngle, const QString &text)
    : QUndoCommand(text)
    , m_pDocument(pDocument)
    , m_iAngle(iAngle)
{
}

int ImageRotateCmd::id() const { return commandId<ImageRotateCmd>(); }

void ImageRotateCmd::redo()
{
    if (childCount() == 0) {
        m_oldSize = m_pDocument->canvasSize();
        QTransform rotation;
        rotation.rotate(m_iAngle);
        m_newSize = rotation.mapRect(QRectF(QPointF(0, 0), QSizeF(m_oldSize))).size().toSize();
        m_pDocument->SetCanvasSize(m_newSize);
        LayerSnapshotCmd::ChangeRasters(m_pDocument, QStringLiteral("Layer Rotate - "), [&rotation](const QImage &pixels) {
            return pixels.transformed(rotation, Qt::FastTransformation);
        }, this);
    } else {
        m_pDocument->SetCanvasSize(m_newSize);
        redoChildren(this);
    }
}

void ImageRotateCmd::undo()
{
    m_pDocument->SetCanvasSize(m_oldSize);
    undoChildren(this);
}
