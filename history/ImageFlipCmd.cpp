#include "ImageFlipCmd.h"

#include "Document.h"
#include "CommandSupport.h"
#include "LayerSnapshotCmd.h"

ImageFlipCmd::ImageFlipCmd(Document *pDocument, bool bHorizontal, bool bVertical, const QString &text)
    : QUndoCommand(text)
    , m_pDocument(pDocument)
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
    LayerSnapshotCmd::ChangeRasters(m_pDocument, QStringLiteral("Image Flip - "), [this](const QImage &pixels) {
        return pixels.mirrored(m_bHorizontal, m_bVertical);
    }, this);
}

void ImageFlipCmd::undo()
{
    undoChildren(this);
}
