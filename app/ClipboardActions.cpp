#include "ClipboardActions.h"
#include "ui_MainWindow.h"

#include "ChildWindow.h"
#include "CreateLayerCmd.h"
#include "Document.h"
#include "HtmlSanitizer.h"
#include "LayerSnapshotCmd.h"
#include "MainWindow.h"
#include "PixelOps.h"
#include "PixmapLayer.h"
#include "ResizeCanvasCmd.h"
#include "ScratchDB.h"
#include "TextBounds.h"
#include "TextLayer.h"

#include <QApplication>
#include <QClipboard>
#include <QMessageBox>
#include <QMimeData>
#include <QPainter>
#include <QUndoStack>

ClipboardActions::ClipboardActions(MainWindow *pMain)
    : QObject(pMain)
    , m_pMain(pMain)
{
    connect(pMain->form()->action_Copy, &QAction::triggered, this, &ClipboardActions::on_action_Copy_triggered);
    connect(pMain->form()->action_Paste, &QAction::triggered, this, &ClipboardActions::on_action_Paste_triggered);
}

void ClipboardActions::on_action_Copy_triggered()
{
    Document *pDocument = m_pMain->currentDoc();
    PixmapLayer *pLayer = pDocument ? pDocument->CurrentRasterLayer() : nullptr;
    if (!pLayer)
        return;
    pDocument->store().WaitForPending(pLayer);
    const QRegion selection = pDocument->Selection();
    if (selection.isEmpty()) {
        QApplication::clipboard()->setImage(pLayer->image());
        return;
    }
    QImage copy(pLayer->image().size(), QImage::Format_ARGB32);
    copy.fill(0);
    for (const QRect &r : selection.translated(-pLayer->pos().toPoint()))
        PixelOps::Copy(pLayer->image(), copy, r);
    QApplication::clipboard()->setImage(copy);
}

void ClipboardActions::on_action_Paste_triggered()
{
    ChildWindow *pWindow = m_pMain->currentDocument();
    if (!pWindow)
        return;
    Document *pDocument = pWindow->document();
    const QMimeData *pData = QApplication::clipboard()->mimeData();
    Layer *pLayer = pDocument->CurrentLayer();
    if (!pData || !pLayer)
        return;
    const bool bHasText = pData->hasText() || pData->hasHtml();
    const bool bHasImage = pData->hasImage();
    QUndoStack *pStack = pDocument->undoStack();

    if (pLayer->kind() == Layer::Raster) {
        if (bHasImage) {
            PasteImageInto(static_cast<PixmapLayer *>(pLayer), qvariant_cast<QImage>(pData->imageData()));
            return;
        }
        if (!bHasText
            || QMessageBox::question(m_pMain, QStringLiteral("Just curious..."),
                                     QStringLiteral("You can't paste text into an image layer. Shall I create a new text layer?"),
                                     QMessageBox::Yes | QMessageBox::No) != QMessageBox::Yes)
            return;
        const QPointF centre(pDocument->canvasSize().width() / 2, pDocument->canvasSize().height() / 2);
        auto *pCreate = new CreateLayerCmd(pDocument, Layer::Text, [pData, centre](Layer *pNew) {
            auto *pText = static_cast<TextLayer *>(pNew);
            pText->setPos(centre);
            pText->SetEditMode(true);
            PasteText(pText, pData);
        });
        pStack->push(pCreate);
        return;
    }
    // A text layer takes text; an image never goes into it. When the
    // clipboard holds both, the text is what belongs here.
    if (bHasText) {
        PasteText(static_cast<TextLayer *>(pLayer), pData);
        return;
    }
    if (!bHasImage
        || QMessageBox::question(m_pMain, QStringLiteral("Just curious..."),
                                 QStringLiteral("You can't paste an image into a text layer. Shall I create a new image layer?"),
                                 QMessageBox::Yes | QMessageBox::No) != QMessageBox::Yes)
        return;
    const QImage image = qvariant_cast<QImage>(pData->imageData()).convertToFormat(QImage::Format_ARGB32);
    OfferToGrow(pWindow, image.size());
    // The new layer is born with the pasted pixels, so undo and redo keep them.
    pStack->push(new CreateLayerCmd(pDocument, Layer::Raster, [&image](Layer *pNew) {
        auto *pRaster = static_cast<PixmapLayer *>(pNew);
        PixelOps::Copy(image, pRaster->image(), image.rect());
        pRaster->update();
    }));
}

void ClipboardActions::OfferToGrow(ChildWindow *pWindow, const QSize &imageSize)
{
    const QSize canvas = pWindow->canvasSize();
    if ((imageSize.width() > canvas.width() || imageSize.height() > canvas.height())
        && QMessageBox::question(m_pMain, QStringLiteral("Resize?"),
                                 QStringLiteral("The image is larger than the current canvas. Expand the canvas to fit the image?"),
                                 QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes) {
        const QSize grown = canvas.expandedTo(imageSize);
        pWindow->undoStack()->push(new ResizeCanvasCmd(pWindow->document(), grown.width(), grown.height(),
                                                       canvas.width(), canvas.height(), 4));
    }
}

void ClipboardActions::PasteImageInto(PixmapLayer *pLayer, const QImage &pasted)
{
    ChildWindow *pWindow = m_pMain->currentDocument();
    const QImage image = pasted.convertToFormat(QImage::Format_ARGB32);
    OfferToGrow(pWindow, image.size());
    pWindow->document()->store().WaitForPending(pLayer);
    // Drawn over the layer's pixels from the top-left corner.
    pLayer->setImage(PixelOps::PaintOnStraight(pLayer->image(), [&image](QPainter &painter) {
        painter.drawImage(0, 0, image);
    }));
    pLayer->update();
    pWindow->undoStack()->push(new LayerSnapshotCmd(QStringLiteral("Paste - ") + pLayer->name(), pLayer));
}

void ClipboardActions::PasteText(TextLayer *pLayer, const QMimeData *pData)
{
    // Rich text from elsewhere goes through the same bounds as a file's;
    // past them only its plain text is taken.
    QString html, what;
    if (pData->hasHtml() && HtmlSanitizer::Clean(pData->html(), &html) && TextBounds::Fits(html, &what))
        pLayer->setHtml(html);
    else
        pLayer->setPlainText(pData->text());
    pLayer->setName(pLayer->toPlainText());
}
