#include "ImageFlipCmd.h"

#include "ChildWindow.h"
#include "CommandSupport.h"
#include "LayerSnapshotCmd.h"

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
        redoChildren(this);
        return;
    }
    LayerSnapshotCmd::ChangeRasters(m_pWindow, QStringLiteral("Image Flip - "), [this](const QPixmap &pixels) {
        return QPixmap::fromImage(pixels.toImage().mirrored(m_bHorizontal, m_bVertical));
    }, this);
}

void ImageFlipCmd::undo()
{
    undoChildren(this);
}
