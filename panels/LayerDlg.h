#pragma once
#include <QDockWidget>
#include <QModelIndex>
#include <QPointer>
#include <QSet>
#include <QStandardItemModel>

#include "LayerRow.h"
#include "PathsTab.h"
#include "ToolPaths.h"

class ColorPicker;
class Document;
class Layer;
class LayerStyleDlg;
class Path;
class QAction;
class QItemSelectionModel;
class QUndoCommand;
class ToolboxDlg;

namespace Ui { class LayerDlg; }

// The layers and paths panel: the rows show the current document's layers,
// topmost first. It follows the document's signals and changes the document
// only through undo commands; the current row is the document's current layer.
class LayerDlg : public QDockWidget, public ToolPaths {
    Q_OBJECT
public:
    static constexpr int kLayerRole = LayerRow::kLayerRole;
    // The check state the row last applied to its layer.
    static constexpr int kCheckRole = LayerRow::kCheckRole;
    // Side of the square thumbnails.
    static constexpr int kThumbnailSide = LayerRow::kThumbnailSide;

    LayerDlg();
    ~LayerDlg() override;
    // The tools the paths list strokes with and starts a new path in, and
    // the palette the styles dialog edits colours in (none: they go
    // without).
    void SetToolbox(ToolboxDlg *pToolbox) { m_pPaths->SetToolbox(pToolbox); }
    void SetPalette(ColorPicker *pPalette);

    // The document the panel shows and edits; null shows nothing.
    void SetDocument(Document *pDocument);
    Document *document() const { return m_pDocument; }

    Layer *CurrentLayer() const;
    Layer *LayerAtRow(int iRow) const;
    int RowOf(const Layer *pLayer) const;
    int RowCount() const;
    void SelectLayer(Layer *pLayer);
    int OpacityMaximum() const;
    // Shows a mode in the combo box without changing any layer.
    void SetBlendingMode(int iMode);
    int BlendingModeShown() const;
    int OpacityShown() const;
    // The layer's thumbnail is drawn again when next shown.
    void UpdateLayerThumbnail(Layer *pLayer);
    // ToolPaths: the paths tab does the work.
    Path *SelectedPath() const override { return m_pPaths->SelectedPath(); }
    void SelectPath(Path *pPath) { m_pPaths->SelectPath(pPath); }
    void ShowPathsTab() override;
    void ShowLayersTab() override;
    void PickPath(Path *pPath) override { m_pPaths->PickPath(pPath); }
    QMetaObject::Connection OnNewPath(QObject *pReceiver, std::function<void()> handler) override
    {
        return m_pPaths->OnNewPath(pReceiver, std::move(handler));
    }
    QMetaObject::Connection OnPathPicked(QObject *pReceiver, std::function<void(Path *)> handler) override
    {
        return m_pPaths->OnPathPicked(pReceiver, std::move(handler));
    }
    // The paths list's context-menu entries, in menu order: stroke, fill,
    // to selection, delete. They act on the picked path.
    QList<QAction *> PathContextActions() const { return m_pPaths->ContextActions(); }

    // Size of the image inside a thumbnail (64 on the long side).
    static QSize ThumbnailSize(const QSize &imageSize) { return LayerRow::ThumbnailSize(imageSize); }
    // A layer's picture in the panel: its pixels scaled to fit a square over
    // the transparency checkerboard, so every row has the same height.
    static QPixmap Thumbnail(const QImage &image) { return LayerRow::Thumbnail(image); }
    // The context-menu entries for the current layer, in menu order.
    QList<QAction *> ContextActions() const;
    // Makes a brush from the current layer (context menu only, no button).
    void on_createBrushBtn_clicked();
    // The "Layer Styles" dialog, once the style button has opened it.
    LayerStyleDlg *StyleDialog() const;

Q_SIGNALS:
    void LayerSelectionChanged(Layer *pLayer);
    // A brush is to be made from these pixels.
    void NewBrushRequested(const QImage &image);
    void NewPath();
    void PathSelectionChanged(Path *pPath);

public Q_SLOTS:
    void LayerListContextMenu(QPoint point);
    void PathListContextMenu(QPoint point) { m_pPaths->ContextMenu(point); }
    void ItemChanged(QStandardItem *pItem);
    void SelectionChanged(QModelIndex currentSelection, QModelIndex previousSelection);
    void on_addLayerBtn_clicked();
    void on_deleteLayerBtn_clicked();
    void on_opacity_valueChanged(int iValue);
    void on_moveLayerUpBtn_clicked();
    void on_moveLayerDownBtn_clicked();
    void on_blendingMode_currentIndexChanged(int iIndex);
    void on_styleBtn_clicked();
    void PathItemChanged(QStandardItem *pItem) { m_pPaths->ItemChanged(pItem); }
    void PathSelectionChanged(QModelIndex current, QModelIndex) { m_pPaths->CurrentChanged(current); }
    void on_addPathBtn_clicked() { m_pPaths->AddPath(); }
    void on_deletePathBtn_clicked() { m_pPaths->DeletePath(); }

protected:
    void resizeEvent(QResizeEvent *pEvent) override;

private:
    void Push(QUndoCommand *pCommand);
    void RebuildRows();
    void LayerAdded(Layer *pLayer);
    void LayerRemoved(Layer *pLayer);
    void LayerChanged(Layer *pLayer);
    void PixelsChanged(Layer *pLayer);
    void CurrentLayerChanged(Layer *pLayer);
    void ShowLayerAttributes(Layer *pLayer);
    void RefreshThumbnails();
    void UpdateButtons();

    Ui::LayerDlg *m_pUi;
    QPointer<Document> m_pDocument;
    QStandardItemModel m_layerModel;
    QStandardItem *m_pLayerRoot;
    QItemSelectionModel *m_pLayerSelection;
    bool m_bUpdating = false;
    QSet<Layer *> m_staleThumbnails;
    PathsTab *m_pPaths;
    QAction *m_pNewLayerAction;
    QAction *m_pDeleteAction;
    QAction *m_pStyleAction;
    QAction *m_pMoveUpAction;
    QAction *m_pMoveDownAction;
    QAction *m_pNewBrushAction;
    // Follows the current layer; made on first use.
    QPointer<LayerStyleDlg> m_pStyleDlg;
    QPointer<ColorPicker> m_pPalette;
};
