#include "ImageRotateCmd.h"

#include "ChildWindow.h"
#include "CommandSupport.h"
#include "LayerSnapshotCmd.h"
#include "MainWindow.h"
#include "PixmapLayer.h"
#include "ScratchDB.h"

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
        ScratchDB *pStore = ScratchDB::instance();
        for (Layer *pLayer : m_pWindow->GetLayers(true)) {
            if (pLayer->kind() != Layer::Raster)
                continue;
            auto *pRaster = static_cast<PixmapLayer *>(pLayer);
            // Rotate what the user last asked for, not an image still being read back.
            pStore->WaitForPending(pRaster);
            pRaster->setPixmap(pRaster->image().transformed(rotation, Qt::FastTransformation));
            pRaster->update();
            auto *pSnapshot = new LayerSnapshotCmd(QStringLiteral("Layer Rotate - ") + pRaster->name(), pRaster, this);
            pSnapshot->redo();
        }
    } else {
        m_pWindow->SetCanvasSize(m_newSize);
        for (int i = 0; i < childCount(); ++i)
            childAt(this, i)->redo();
    }
    MainWindow::FitDocument(m_pWindow);
}

void ImageRotateCmd::undo()
{
    m_pWindow->SetCanvasSize(m_oldSize);
    for (int i = 0; i < childCount(); ++i)
        childAt(this, i)->undo();
    MainWindow::FitDocument(m_pWindow);
}
