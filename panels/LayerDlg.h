#pragma once
#include <QDockWidget>
#include <QModelIndex>
#include <QStandardItemModel>

class Layer;
class Path;
class QAction;
class QItemSelectionModel;
class QUndoCommand;

namespace Ui { class LayerDlg; }

// The layers and paths panel. Its current row is the current layer on which
// tools, filters and layer actions work. Edits made here go through undo
// commands, which call back into the panel to show their effect.
class LayerDlg : public QDockWidget {
    Q_OBJECT
public:
    static constexpr int kOpacityMaximum = 100;
    static constexpr int kLayerRole = Qt::UserRole + 1;
    // The check state the row last applied to its layer.
    static constexpr int kCheckRole = Qt::UserRole + 2;

    static LayerDlg *instance();
    ~LayerDlg() override;

    void Clear();
    void AddLayer(Layer *pLayer);
    void RemoveLayer(Layer *pLayer);
    Layer *CurrentLayer() const;
    Layer *LayerAtRow(int iRow) const;
    int RowOf(const Layer *pLayer) const;
    int RowCount() const;
    void SelectLayer(Layer *pLayer);
    void RenameLayer(Layer *pLayer, const QString &name);
    void SetLayerOpacity(int iValue, Layer *pLayer);
    int OpacityMaximum() const;
    void SetBlendingMode(int iMode);
    int BlendingModeShown() const;
    int OpacityShown() const;
    void MoveLayer(Layer *pLayer, int iRow);
    void UpdateLayerThumbnail(Layer *pLayer);
    void AddPath(Path *pPath);
    Path *SelectedPath() const;
    void SelectPath(Path *pPath);
    void ShowPathsTab();
    void ShowLayersTab();

    // The blending modes in the order the combo box lists them, with their
    // painter composition-mode codes.
    static const QList<QPair<QString, int>> &BlendingModes();
    // Thumbnail size for an image of the given size (64 on the long side).
    static QSize ThumbnailSize(const QSize &imageSize);
    // The context-menu entries for the current layer, in menu order.
    QList<QAction *> ContextActions() const;
    // Makes a brush from the current layer (context menu only, no button).
    void on_createBrushBtn_clicked();

Q_SIGNALS:
    void NewLayer();
    void DeleteLayer(Layer *pLayer);
    void LayerZValueChanged();
    void LayerSelectionChanged(Layer *pLayer);
    void NewPath();
    void PathSelectionChanged(Path *pPath);

public Q_SLOTS:
    void LayerListContextMenu(QPoint point);
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

    Ui::LayerDlg *m_pUi;
    QStandardItemModel m_layerModel;
    QStandardItem *m_pLayerRoot;
    QItemSelectionModel *m_pLayerSelection;
    bool m_bUpdating = false;
    QStandardItemModel m_pathModel;
    QStandardItem *m_pPathRoot;
    QItemSelectionModel *m_pPathSelection;
    QAction *m_pNewLayerAction;
    QAction *m_pDeleteAction;
    QAction *m_pStyleAction;
    QAction *m_pMoveUpAction;
    QAction *m_pMoveDownAction;
    QAction *m_pNewBrushAction;
};
