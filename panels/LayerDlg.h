#pragma once
#include <QDockWidget>
#include <QModelIndex>
#include <QPointer>
#include <QSet>
#include <QStandardItemModel>

#include "ToolPaths.h"

class Document;
class Layer;
class LayerStyleDlg;
class Path;
class QAction;
class QItemSelectionModel;
class QUndoCommand;

namespace Ui { class LayerDlg; }

// The layers and paths panel: the rows show the current document's layers,
// topmost first. It follows the document's signals and changes the document
// only through undo commands; the current row is the document's current layer.
class LayerDlg : public QDockWidget, public ToolPaths {
    Q_OBJECT
public:
    static constexpr int kLayerRole = Qt::UserRole + 1;
    // The check state the row last applied to its layer.
    static constexpr int kCheckRole = Qt::UserRole + 2;
    // Side of the square thumbnails.
    static constexpr int kThumbnailSide = 64;

    static LayerDlg *instance();
    ~LayerDlg() override;

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
    Path *SelectedPath() const override;
    void SelectPath(Path *pPath);
    void ShowPathsTab() override;
    void ShowLayersTab() override;
    // ToolPaths
    void PickPath(Path *pPath) override;
    QMetaObject::Connection OnNewPath(QObject *pReceiver, std::function<void()> handler) override;
    QMetaObject::Connection OnPathPicked(QObject *pReceiver, std::function<void(Path *)> handler) override;
    // The paths list's context-menu entries, in menu order: stroke, fill,
    // to selection, delete. They act on the picked path.
    QList<QAction *> PathContextActions() const;

    // Size of the image inside a thumbnail (64 on the long side).
    static QSize ThumbnailSize(const QSize &imageSize);
    // A layer's picture in the panel: its pixels scaled to fit a square over
    // the transparency checkerboard, so every row has the same height.
    static QPixmap Thumbnail(const QImage &image);
    // The context-menu entries for the current layer, in menu order.
    QList<QAction *> ContextActions() const;
    // Makes a brush from the current layer (context menu only, no button).
    void on_createBrushBtn_clicked();
    // The "Layer Styles" dialog, once the style button has opened it.
    LayerStyleDlg *StyleDialog() const;

Q_SIGNALS:
    void LayerSelectionChanged(Layer *pLayer);
    void NewPath();
    void PathSelectionChanged(Path *pPath);

public Q_SLOTS:
    void LayerListContextMenu(QPoint point);
    void PathListContextMenu(QPoint point);
    void ItemChanged(QStandardItem *pItem);
    void SelectionChanged(QModelIndex currentSelection, QModelIndex previousSelection);
    void on_addLayerBtn_clicked();
    void on_deleteLayerBtn_clicked();
    void on_opacity_valueChanged(int iValue);
    void on_moveLayerUpBtn_clicked();
    void on_moveLayerDownBtn_clicked();
    void on_blendingMode_currentIndexChanged(int iIndex);
    void on_styleBtn_clicked();
    void PathItemChanged(QStandardItem *pItem);
    void PathSelectionChanged(QModelIndex current, QModelIndex previous);
    void on_addPathBtn_clicked();
    void on_deletePathBtn_clicked();

protected:
    void resizeEvent(QResizeEvent *pEvent) override;

private:
    LayerDlg();
    void Push(QUndoCommand *pCommand);
    QStandardItem *MakeRow(Layer *pLayer, const QPixmap &thumbnail = QPixmap());
    void RebuildRows();
    void RebuildPaths();
    void LayerAdded(Layer *pLayer);
    void LayerRemoved(Layer *pLayer);
    void LayerChanged(Layer *pLayer);
    void PixelsChanged(Layer *pLayer);
    void CurrentLayerChanged(Layer *pLayer);
    void ShowLayerAttributes(Layer *pLayer);
    void RefreshThumbnails();
    void UpdateButtons();
    void StrokePath();
    void FillPath();
    void PathToSelection();

    Ui::LayerDlg *m_pUi;
    QPointer<Document> m_pDocument;
    QStandardItemModel m_layerModel;
    QStandardItem *m_pLayerRoot;
    QItemSelectionModel *m_pLayerSelection;
    bool m_bUpdating = false;
    QSet<Layer *> m_staleThumbnails;
    QStandardItemModel m_pathModel;
    QStandardItem *m_pPathRoot;
    QItemSelectionModel *m_pPathSelection;
    QAction *m_pNewLayerAction;
    QAction *m_pDeleteAction;
    QAction *m_pStyleAction;
    QAction *m_pMoveUpAction;
    QAction *m_pMoveDownAction;
    QAction *m_pNewBrushAction;
    QAction *m_pStrokePathAction;
    QAction *m_pFillPathAction;
    QAction *m_pPathSelectionAction;
    QAction *m_pDeletePathAction;
    // Follows the current layer; made on first use.
    QPointer<LayerStyleDlg> m_pStyleDlg;
};
