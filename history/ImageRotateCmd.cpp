#include "ImageRotateCmd.h"

#include "ChildWindow.h"
#include "CommandSupport.h"
#include "LayerSnapshotCmd.h"
#include "MainWindow.h"

#include <QTransform>

ImageRotateCmd::ImageRotateCmd(ChildWindow *pWindow, int iAngle, const QString &text)
    : QUndoCommand(text)
    , m_pWindow(pWindow)
    , m_iAngle(iAngle)
{
}

int ImageRotateCmd::id() const { return commandId<ImageRotateCmd>(); }

void ImageRotateCmd::redo()
{
    if (childCount() == 0) {
        m_oldSize = m_pWindow->canvasSize();
        QTransform rotation;
        rotation.rotate(m_iAngle);
        m_newSize = rotation.mapRect(QRectF(QPointF(0, 0), QSizeF(m_oldSize))).size().toSize();
        m_pWindow->SetCanvasSize(m_newSize);
        LayerSnapshotCmd::ChangeRasters(m_pWindow, QStringLiteral("Layer Rotate - "), [&rotation](const QPixmap &pixels) {
            return pixels.transformed(rotation, Qt::FastTransformation);
        }, this);
    } else {
        m_pWindow->SetCanvasSize(m_newSize);
        redoChildren(this);
    }
    MainWindow::FitDocument(m_pWindow);
}

void ImageRotateCmd::undo()
{
    m_pWindow->SetCanvasSize(m_oldSize);
    undoChildren(this);
    MainWindow::FitDocument(m_pWindow);
}
