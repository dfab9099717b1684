#include "ImageFlipCmd.h"

#include "ChildWindow.h"
#include "CommandSupport.h"
#include "LayerSnapshotCmd.h"
#include "PixmapLayer.h"
#include "ScratchDB.h"

ImageFlipCmd::ImageFlipCmd(ChildWindow *pWindow, bool bHorizontal, bool bVertical, const QString &text)
    : QUndoCommand(text)
    , m_pWindow(pWindow)
    , m_bHorizontal(bHorizontal)
    , m_bVertical(bVertical)
{
}

int ImageFlipCmd::id() const { return commandId<ImageFlipCmd>(); }

void ImageFlipCmd::redo()
{
    if (childCount() > 0) {
        for (int i = 0; i < childCount(); ++i)
            childAt(this, i)->redo();
        return;
    }
    ScratchDB *pStore = ScratchDB::instance();
    for (Layer *pLayer : m_pWindow->GetLayers(true)) {
        if (pLayer->kind() != Layer::Raster)
            continue;
        auto *pRaster = static_cast<PixmapLayer *>(pLayer);
        pStore->WaitForPending(pRaster);
        const QImage flipped = pRaster->image().toImage().mirrored(m_bHorizontal, m_bVertical);
        pRaster->setPixmap(QPixmap::fromImage(flipped));
        pRaster->update();
        auto *pSnapshot = new LayerSnapshotCmd(QStringLiteral("Image Flip - ") + pRaster->name(), pRaster, this);
        pSnapshot->redo();
    }
}

void ImageFlipCmd::undo()
{
    for (int i = 0; i < childCount(); ++i)
        childAt(this, i)->undo();
}
