#include "LayerActions.h"
#include "ui_MainWindow.h"

#include "CanvasSizeDlg.h"
#include "ChildWindow.h"
#include "ConvertToPixmapCmd.h"
#include "CreateLayerCmd.h"
#include "CropSelectionCmd.h"
#include "DeleteLayerCmd.h"
#include "Document.h"
#include "FlattenImageCmd.h"
#include "ImageFlipCmd.h"
#include "ImageResizeDlg.h"
#include "ImageRotateCmd.h"
#include "LayerMergeDownCmd.h"
#include "LayerSnapshotCmd.h"
#include "MainWindow.h"
#include "PixelOps.h"
#include "PixmapLayer.h"
#include "ResizeCanvasCmd.h"
#include "ResizeImageCmd.h"
#include "ScratchDB.h"
#include "TextLayer.h"
#include "ToolboxDlg.h"

#include <QMessageBox>
#include <QUndoStack>

LayerActions::LayerActions(MainWindow *pMain)
    : QObject(pMain)
    , m_pMain(pMain)
{
    Ui::MainWindow *pUi = pMain->form();
    const auto on = [this](QAction *pAction, auto slot) { connect(pAction, &QAction::triggered, this, slot); };
    on(pUi->action_Layer_Add, &LayerActions::on_action_Layer_Add_triggered);
    on(pUi->action_Layer_Delete, &LayerActions::on_action_Layer_Delete_triggered);
    on(pUi->action_Layer_Duplicate, &LayerActions::on_action_Layer_Duplicate_triggered);
    on(pUi->action_Layer_Merge_Down, &LayerActions::on_action_Layer_Merge_Down_triggered);
    on(pUi->action_Convert_To_Pixmap, &LayerActions::on_action_Convert_To_Pixmap_triggered);
    on(pUi->action_Layer_Flip_Horizontal, [this] { LayerFlip(true); });
    on(pUi->action_Layer_Flip_Vertical, [this] { LayerFlip(false); });
    on(pUi->action_Layer_Rotate_90_Right, [this] { RotateCurrentLayer(90); });
    on(pUi->action_Layer_Rotate_90_Left, [this] { RotateCurrentLayer(-90); });
    on(pUi->action_Layer_Rotate_180, [this] { RotateCurrentLayer(180); });
    on(pUi->action_Canvas_Size, &LayerActions::on_action_Canvas_Size_triggered);
    on(pUi->action_Resize, &LayerActions::on_action_Resize_triggered);
    on(pUi->action_Flatten, &LayerActions::on_action_Flatten_triggered);
    on(pUi->action_Image_Flip_Horizontal, [this] { ImageFlip(true); });
    on(pUi->action_Image_Flip_Vertical, [this] { ImageFlip(false); });
    on(pUi->action_Image_Rotate_90_Right, [this] { RotateImage(90); });
    on(pUi->action_Image_Rotate_90_Left, [this] { RotateImage(-90); });
    on(pUi->action_Image_Rotate_180, [this] { RotateImage(180); });
    on(pUi->action_Crop, &LayerActions::on_action_Crop_triggered);
    on(pUi->actionDelete_Selection, &LayerActions::on_actionDelete_Selection_triggered);
    on(pUi->action_Select_All, [this] {
        if (ChildWindow *pWindow = m_pMain->currentDocument())
            pWindow->SelectAll();
    });
    on(pUi->action_Select_None, [this] {
        if (ChildWindow *pWindow = m_pMain->currentDocument()) {
            pWindow->SelectNone();
            // Tools holding on to the old selection (a floating move) start over.
            m_pMain->toolbox()->Reactivate();
        }
    });
    on(pUi->action_Select_Inverse, [this] {
        if (ChildWindow *pWindow = m_pMain->currentDocument())
            pWindow->SelectInverse();
    });
}

Document *LayerActions::document() const
{
    return m_pMain->currentDoc();
}

PixmapLayer *LayerActions::CurrentRaster() const
{
    Document *pDocument = document();
    PixmapLayer *pLayer = pDocument ? pDocument->CurrentRasterLayer() : nullptr;
    if (pLayer)
        pDocument->store().WaitForPending(pLayer);
    return pLayer;
}

// --- Layer menu -----------------------------------------------------------------------------

void LayerActions::on_action_Layer_Add_triggered()
{
    if (Document *pDocument = document())
        pDocument->undoStack()->push(new CreateLayerCmd(pDocument, Layer::Raster));
}

void LayerActions::on_action_Layer_Delete_triggered()
{
    Document *pDocument = document();
    // The last layer stays: a document always has one.
    if (pDocument && pDocument->CurrentLayer() && pDocument->CountLayers() > 1)
        pDocument->undoStack()->push(new DeleteLayerCmd(pDocument->CurrentLayer()));
}

void LayerActions::on_action_Layer_Duplicate_triggered()
{
    Document *pDocument = document();
    Layer *pSource = pDocument ? pDocument->CurrentLayer() : nullptr;
    if (!pSource)
        return;
    if (pSource->kind() == Layer::Raster)
        pDocument->store().WaitForPending(static_cast<PixmapLayer *>(pSource));
    const QString name = pSource->name() + QStringLiteral(" - Copy");
    // The copy is born with its content, so undo and redo keep it.
    pDocument->undoStack()->push(new CreateLayerCmd(pDocument, pSource->kind(), [pSource, name](Layer *pCopy) {
        if (pSource->kind() == Layer::Text) {
            auto *pText = static_cast<TextLayer *>(pCopy);
            auto *pFrom = static_cast<TextLayer *>(pSource);
            pText->setDefaultTextColor(pFrom->defaultTextColor());
            pText->setHtml(pFrom->toHtml());
        } else {
            static_cast<PixmapLayer *>(pCopy)->setImage(static_cast<PixmapLayer *>(pSource)->image());
        }
        pCopy->setPos(pSource->pos());
        pCopy->setBlendingMode(pSource->blendingMode());
        pCopy->SetOpacityPercent(pSource->opacityValue());
        pCopy->setOpacity(pSource->opacity());
        pCopy->update();
        pCopy->setName(name);
    }));
}

void LayerActions::on_action_Layer_Merge_Down_triggered()
{
    Document *pDocument = document();
    Layer *pLayer = pDocument ? pDocument->CurrentLayer() : nullptr;
    if (!pLayer)
        return;
    Layer *pBelow = pDocument->LayerAtRow(pDocument->RowOf(pLayer) + 1);
    if (!pBelow) {
        QMessageBox::warning(m_pMain, QStringLiteral("D'oh"),
                             QStringLiteral("The current layer doesn't have one below it to merge into."));
        return;
    }
    pDocument->undoStack()->push(new LayerMergeDownCmd(pLayer, pBelow));
}

void LayerActions::on_action_Convert_To_Pixmap_triggered()
{
    Document *pDocument = document();
    Layer *pLayer = pDocument ? pDocument->CurrentLayer() : nullptr;
    if (pLayer && pLayer->kind() == Layer::Text)
        pDocument->undoStack()->push(new ConvertToPixmapCmd(pLayer));
}

void LayerActions::LayerFlip(bool bHorizontal)
{
    PixmapLayer *pLayer = CurrentRaster();
    if (!pLayer)
        return;
    pLayer->setImage(pLayer->image().mirrored(bHorizontal, !bHorizontal));
    pLayer->update();
    document()->undoStack()->push(new LayerSnapshotCmd(QStringLiteral("Layer Flip - ") + pLayer->name(), pLayer));
}

void LayerActions::RotateCurrentLayer(int iAngle)
{
    PixmapLayer *pLayer = CurrentRaster();
    if (!pLayer)
        return;
    QTransform rotation;
    rotation.rotate(iAngle);
    const QImage rotated = pLayer->image().transformed(rotation, Qt::FastTransformation);
    // The layer grows to hold both its old and its rotated extent.
    QImage result(pLayer->image().rect().united(rotated.rect()).size(), QImage::Format_ARGB32);
    result.fill(0);
    PixelOps::Copy(rotated.convertToFormat(QImage::Format_ARGB32), result, rotated.rect());
    pLayer->setImage(result);
    pLayer->update();
    document()->undoStack()->push(new LayerSnapshotCmd(QStringLiteral("Layer Rotate - ") + pLayer->name(), pLayer));
}

// --- Image menu -----------------------------------------------------------------------------

void LayerActions::on_action_Canvas_Size_triggered()
{
    Document *pDocument = document();
    if (!pDocument)
        return;
    const QSize old = pDocument->canvasSize();
    CanvasSizeDlg dialog(old.width(), old.height(), m_pMain);
    if (dialog.exec() != QDialog::Accepted)
        return;
    const QSize chosen = dialog.ChosenSize();
    pDocument->undoStack()->push(new ResizeCanvasCmd(pDocument, chosen.width(), chosen.height(), old.width(),
                                                     old.height(), dialog.Anchor()));
}

void LayerActions::on_action_Resize_triggered()
{
    Document *pDocument = document();
    if (!pDocument)
        return;
    const QSize old = pDocument->canvasSize();
    ImageResizeDlg dialog(old.width(), old.height(), m_pMain);
    if (dialog.exec() != QDialog::Accepted)
        return;
    const QSize chosen = dialog.ChosenSize();
    if (chosen.isEmpty())
        return;
    pDocument->undoStack()->push(
        new ResizeImageCmd(pDocument, chosen.width(), chosen.height(), old.width(), old.height()));
}

void LayerActions::on_action_Flatten_triggered()
{
    if (Document *pDocument = document())
        pDocument->undoStack()->push(new FlattenImageCmd(pDocument));
}

void LayerActions::ImageFlip(bool bHorizontal)
{
    Document *pDocument = document();
    if (!pDocument)
        return;
    pDocument->undoStack()->push(new ImageFlipCmd(
        pDocument, bHorizontal, !bHorizontal,
        bHorizontal ? QStringLiteral("Image Flip Horizontal") : QStringLiteral("Image Flip Vertical")));
}

void LayerActions::RotateImage(int iAngle)
{
    if (Document *pDocument = document())
        pDocument->undoStack()->push(new ImageRotateCmd(
            pDocument, iAngle, QStringLiteral("Image Rotate (") + QString::number(iAngle) + QLatin1Char(')')));
}

void LayerActions::on_action_Crop_triggered()
{
    Document *pDocument = document();
    if (!pDocument || pDocument->Selection().isEmpty())
        return;
    const QSize size = pDocument->canvasSize();
    pDocument->undoStack()->push(
        new CropSelectionCmd(pDocument, pDocument->Selection(), size.width(), size.height()));
}

// --- Select menu ------------------------------------------------------------------------------

void LayerActions::on_actionDelete_Selection_triggered()
{
    PixmapLayer *pLayer = CurrentRaster();
    if (!pLayer || document()->Selection().isEmpty())
        return;
    const QRegion selection = document()->Selection().translated(-pLayer->pos().toPoint());
    QImage &pixels = pLayer->image();
    // Cleared to transparent, colour and all, only inside the selection.
    for (const QRect &r : selection.intersected(pixels.rect()))
        for (int y = r.top(); y <= r.bottom(); ++y)
            std::fill_n(reinterpret_cast<quint32 *>(pixels.scanLine(y)) + r.left(), r.width(), 0u);
    pLayer->update();
    document()->undoStack()->push(new LayerSnapshotCmd(QStringLiteral("Erase - ") + pLayer->name(), pLayer));
}
