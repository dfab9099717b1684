#include "LayerDlg.h"
#include "ui_LayerDlg.h"

#include "ColorPicker.h"
#include "CQTitleBar.h"
#include "ChangeLayerBlendingCmd.h"
#include "ChangeLayerOpacityCmd.h"
#include "ChangeLayerOrderCmd.h"
#include "CreateLayerCmd.h"
#include "DeleteLayerCmd.h"
#include "Document.h"
#include "Layer.h"
#include "LayerRow.h"
#include "LayerStyleDlg.h"
#include "Path.h"
#include "PixmapLayer.h"
#include "RenameLayerCmd.h"

#include <QAction>
#include <QCursor>
#include <QHash>
#include <QMenu>
#include <QPainterPath>
#include <QRegion>
#include <QResizeEvent>
#include <QTimer>
#include <QUndoStack>

LayerDlg::LayerDlg()
    : QDockWidget(nullptr)
    , m_pUi(new Ui::LayerDlg)
{
    m_pLayerRoot = m_layerModel.invisibleRootItem();
    m_pUi->setupUi(this);
    // The window's panel menu shows the title as an entry, where a lone "&"
    // would mark a shortcut letter instead of showing.
    toggleViewAction()->setText(windowTitle().replace(QLatin1Char('&'), QStringLiteral("&&")));

    setAttribute(Qt::WA_AlwaysShowToolTips);
    auto *pTitle = new CQTitleBar(this);
    pTitle->setTitle(QStringLiteral("Layers"));
    setTitleBarWidget(pTitle);

    m_pUi->layerList->setModel(&m_layerModel);
    m_pUi->layerList->setUniformRowHeights(true);
    m_pLayerSelection = m_pUi->layerList->selectionModel();
    connect(&m_layerModel, &QStandardItemModel::itemChanged, this, &LayerDlg::ItemChanged);
    connect(m_pLayerSelection, &QItemSelectionModel::currentChanged, this, &LayerDlg::SelectionChanged);
    connect(m_pUi->layerList, &QWidget::customContextMenuRequested, this, &LayerDlg::LayerListContextMenu);
    m_pPaths = new PathsTab(this, m_pUi->pathList, m_pUi->deletePathBtn);
    connect(m_pPaths, &PathsTab::NewPath, this, &LayerDlg::NewPath);
    connect(m_pPaths, &PathsTab::PathSelectionChanged, this, qOverload<Path *>(&LayerDlg::PathSelectionChanged));
    // The slider's value in words, whoever moved it.
    connect(m_pUi->opacity, &QSlider::valueChanged, this,
            [this](int iValue) { m_pUi->opacityValue->setText(QString::number(iValue) + QLatin1Char('%')); });

    m_bUpdating = true;
    for (const auto &[name, code] : Layer::BlendingModes())
        m_pUi->blendingMode->addItem(name, code);
    m_bUpdating = false;

    auto makeAction = [this](const QString &text, const QString &tip, auto slot) {
        auto *pAction = new QAction(text, this);
        pAction->setStatusTip(tip);
        connect(pAction, &QAction::triggered, this, slot);
        return pAction;
    };
    m_pNewLayerAction = makeAction(QStringLiteral("&New Layer"), QStringLiteral("create a new layer"), &LayerDlg::on_addLayerBtn_clicked);
    m_pDeleteAction = makeAction(QStringLiteral("&Delete"), QStringLiteral("delete this layer"), &LayerDlg::on_deleteLayerBtn_clicked);
    m_pMoveUpAction = makeAction(QStringLiteral("Move &Up"), QStringLiteral("move this layer up"), &LayerDlg::on_moveLayerUpBtn_clicked);
    m_pMoveDownAction = makeAction(QStringLiteral("Move &Down"), QStringLiteral("move this layer down"), &LayerDlg::on_moveLayerDownBtn_clicked);
    m_pStyleAction = makeAction(QStringLiteral("&Style"), QStringLiteral("layer styles"), &LayerDlg::on_styleBtn_clicked);
    m_pNewBrushAction = makeAction(QStringLiteral("New &Brush"), QStringLiteral("create a new brush from this layer"), &LayerDlg::on_createBrushBtn_clicked);
    UpdateButtons();
}

LayerDlg::~LayerDlg()
{
    delete m_pUi;
}

void LayerDlg::Push(QUndoCommand *pCommand)
{
    if (m_pDocument)
        m_pDocument->undoStack()->push(pCommand);
    else
        delete pCommand;
}

// --- Following the document -------------------------------------------------------------

void LayerDlg::SetDocument(Document *pDocument)
{
    if (m_pDocument)
        disconnect(m_pDocument, nullptr, this, nullptr);
    m_pDocument = pDocument;
    m_staleThumbnails.clear();
    m_bUpdating = true;
    m_layerModel.removeRows(0, m_layerModel.rowCount());
    m_bUpdating = false;
    if (pDocument) {
        connect(pDocument, &Document::LayerAdded, this, &LayerDlg::LayerAdded);
        connect(pDocument, &Document::LayerRemoved, this, &LayerDlg::LayerRemoved);
        connect(pDocument, &Document::LayersReordered, this, &LayerDlg::RebuildRows);
        connect(pDocument, &Document::LayerChanged, this, &LayerDlg::LayerChanged);
        connect(pDocument, &Document::LayerPixelsChanged, this, &LayerDlg::PixelsChanged);
        connect(pDocument, &Document::CurrentLayerChanged, this, &LayerDlg::CurrentLayerChanged);
        connect(pDocument, &Document::Closing, this, [this] { SetDocument(nullptr); });
    }
    RebuildRows();
    m_pPaths->SetDocument(pDocument);
}

void LayerDlg::RebuildRows()
{
    m_bUpdating = true;
    // Rows that stay keep their thumbnails.
    QHash<Layer *, QPixmap> thumbnails;
    for (int row = 0; row < m_layerModel.rowCount(); ++row)
        thumbnails.insert(LayerRow::LayerOf(m_layerModel.item(row)), static_cast<LayerRow *>(m_layerModel.item(row))->Cached());
    m_layerModel.removeRows(0, m_layerModel.rowCount());
    if (m_pDocument) {
        const QList<Layer *> layers = m_pDocument->GetLayers(true);
        // Appended topmost first: one pass, however many layers there are.
        for (auto it = layers.crbegin(); it != layers.crend(); ++it)
            m_pLayerRoot->appendRow(new LayerRow(*it, thumbnails.value(*it)));
    }
    m_bUpdating = false;
    CurrentLayerChanged(m_pDocument ? m_pDocument->CurrentLayer() : nullptr);
    UpdateButtons();
}

void LayerDlg::LayerAdded(Layer *pLayer)
{
    const int row = m_pDocument->RowOf(pLayer);
    if (row < 0 || RowOf(pLayer) >= 0)
        return;
    m_bUpdating = true;
    m_pLayerRoot->insertRow(row, new LayerRow(pLayer));
    m_bUpdating = false;
    UpdateButtons();
}

void LayerDlg::LayerRemoved(Layer *pLayer)
{
    const int row = RowOf(pLayer);
    m_staleThumbnails.remove(pLayer);
    if (row < 0)
        return;
    m_bUpdating = true;
    m_layerModel.removeRow(row);
    m_bUpdating = false;
    UpdateButtons();
}

void LayerDlg::LayerChanged(Layer *pLayer)
{
    const int row = RowOf(pLayer);
    if (row < 0)
        return;
    QStandardItem *pItem = m_layerModel.item(row);
    m_bUpdating = true;
    if (pItem->text() != pLayer->name())
        pItem->setText(pLayer->name());
    const Qt::CheckState state = pLayer->isVisible() ? Qt::Checked : Qt::Unchecked;
    if (pItem->checkState() != state) {
        pItem->setCheckState(state);
        pItem->setData(int(state), kCheckRole);
    }
    m_bUpdating = false;
    if (pLayer == CurrentLayer())
        ShowLayerAttributes(pLayer);
}

void LayerDlg::PixelsChanged(Layer *pLayer)
{
    // Painting changes pixels on every mouse move: thumbnails follow once
    // the events of the moment are handled.
    if (pLayer->kind() != Layer::Raster)
        return;
    if (m_staleThumbnails.isEmpty())
        QTimer::singleShot(0, this, &LayerDlg::RefreshThumbnails);
    m_staleThumbnails.insert(pLayer);
}

void LayerDlg::RefreshThumbnails()
{
    const QSet<Layer *> stale = std::exchange(m_staleThumbnails, {});
    for (Layer *pLayer : stale)
        UpdateLayerThumbnail(pLayer);
}

void LayerDlg::UpdateLayerThumbnail(Layer *pLayer)
{
    const int row = RowOf(pLayer);
    if (row < 0 || pLayer->kind() != Layer::Raster)
        return;
    m_bUpdating = true;
    static_cast<LayerRow *>(m_layerModel.item(row))->Forget();
    m_bUpdating = false;
}

void LayerDlg::CurrentLayerChanged(Layer *pLayer)
{
    const int row = RowOf(pLayer);
    m_bUpdating = true;
    if (row >= 0)
        m_pUi->layerList->setCurrentIndex(m_layerModel.index(row, 0));
    else
        m_pLayerSelection->clearCurrentIndex();
    m_bUpdating = false;
    if (pLayer)
        ShowLayerAttributes(pLayer);
    // The style dialog shows the current layer's styles, or goes away.
    if (m_pStyleDlg && m_pStyleDlg->layer() != pLayer)
        m_pStyleDlg->SetLayer(pLayer);
    UpdateButtons();
    Q_EMIT LayerSelectionChanged(pLayer);
}

void LayerDlg::ShowLayerAttributes(Layer *pLayer)
{
    m_bUpdating = true;
    // Rounded: 0.29 * 100 is 28.999... and would show 28.
    m_pUi->opacity->setValue(qRound(m_pUi->opacity->maximum() * pLayer->opacity()));
    m_pUi->blendingMode->setCurrentIndex(m_pUi->blendingMode->findData(pLayer->blendingMode()));
    m_bUpdating = false;
}

void LayerDlg::UpdateButtons()
{
    m_pUi->deleteLayerBtn->setEnabled(m_layerModel.rowCount() > 1);
    const bool bDocument = m_pDocument != nullptr;
    m_pUi->addLayerBtn->setEnabled(bDocument);
    m_pUi->moveLayerUpBtn->setEnabled(bDocument);
    m_pUi->moveLayerDownBtn->setEnabled(bDocument);
    m_pNewLayerAction->setEnabled(bDocument);
    const bool bLayer = CurrentLayer() != nullptr;
    m_pUi->styleBtn->setEnabled(bLayer);
    m_pStyleAction->setEnabled(bLayer);
}

// --- Lookups -------------------------------------------------------------------------

int LayerDlg::RowOf(const Layer *pLayer) const
{
    if (!pLayer)
        return -1;
    for (int row = 0; row < m_layerModel.rowCount(); ++row)
        if (LayerRow::LayerOf(m_layerModel.item(row)) == pLayer)
            return row;
    return -1;
}

int LayerDlg::RowCount() const
{
    return m_layerModel.rowCount();
}

Layer *LayerDlg::CurrentLayer() const
{
    return m_pDocument ? m_pDocument->CurrentLayer() : nullptr;
}

Layer *LayerDlg::LayerAtRow(int iRow) const
{
    return LayerRow::LayerOf(m_layerModel.item(iRow));
}

void LayerDlg::SelectLayer(Layer *pLayer)
{
    if (m_pDocument && RowOf(pLayer) >= 0)
        m_pDocument->SetCurrentLayer(pLayer);
}

int LayerDlg::OpacityMaximum() const
{
    return m_pUi->opacity->maximum();
}

int LayerDlg::OpacityShown() const
{
    return m_pUi->opacity->value();
}

void LayerDlg::SetBlendingMode(int iMode)
{
    m_bUpdating = true;
    m_pUi->blendingMode->setCurrentIndex(m_pUi->blendingMode->findData(iMode));
    m_bUpdating = false;
}

int LayerDlg::BlendingModeShown() const
{
    const QVariant data = m_pUi->blendingMode->currentData();
    return data.isValid() ? data.toInt() : -1;
}

void LayerDlg::ShowPathsTab()
{
    m_pUi->tabWidget->setCurrentWidget(m_pUi->pathsTab);
    m_pPaths->Shown();
}

void LayerDlg::ShowLayersTab()
{
    m_pUi->tabWidget->setCurrentWidget(m_pUi->layersTab);
}

QList<QAction *> LayerDlg::ContextActions() const
{
    QList<QAction *> actions = {m_pNewLayerAction, m_pDeleteAction, m_pMoveUpAction, m_pMoveDownAction, m_pStyleAction};
    Layer *pLayer = CurrentLayer();
    if (pLayer && pLayer->kind() == Layer::Raster)
        actions.append(m_pNewBrushAction);
    return actions;
}

// --- User edits --------------------------------------------------------------------------

void LayerDlg::LayerListContextMenu(QPoint)
{
    if (!m_pDocument)
        return;
    QMenu menu(this);
    menu.addActions(ContextActions());
    menu.exec(QCursor::pos());
}

void LayerDlg::ItemChanged(QStandardItem *pItem)
{
    Layer *pLayer = LayerRow::LayerOf(pItem);
    if (m_bUpdating || !pLayer)
        return;
    // Only a change of the box itself shows or hides the layer: renaming a
    // row or refreshing its thumbnail must not undo a hide made elsewhere.
    const int checkState = pItem->checkState();
    if (checkState != pItem->data(kCheckRole).toInt()) {
        pItem->setData(checkState, kCheckRole);
        if (checkState == Qt::Checked)
            pLayer->setVisible(true);
        else if (checkState == Qt::Unchecked)
            pLayer->setVisible(false);
    }
    if (pItem->text() != pLayer->name())
        Push(new RenameLayerCmd(pLayer, pLayer->name(), pItem->text()));
}

void LayerDlg::SelectionChanged(QModelIndex current, QModelIndex)
{
    if (m_bUpdating || !m_pDocument)
        return;
    if (Layer *pLayer = LayerRow::LayerOf(m_layerModel.itemFromIndex(current)))
        m_pDocument->SetCurrentLayer(pLayer);
}

void LayerDlg::on_addLayerBtn_clicked()
{
    if (m_pDocument)
        Push(new CreateLayerCmd(m_pDocument, Layer::Raster));
}

void LayerDlg::on_deleteLayerBtn_clicked()
{
    Layer *pLayer = CurrentLayer();
    // The last layer stays: a document always has one.
    if (!pLayer || m_layerModel.rowCount() < 2)
        return;
    Push(new DeleteLayerCmd(pLayer));
}

void LayerDlg::on_opacity_valueChanged(int iValue)
{
    Layer *pLayer = CurrentLayer();
    if (m_bUpdating || !pLayer || iValue == pLayer->opacityValue())
        return;
    Push(new ChangeLayerOpacityCmd(pLayer, pLayer->opacityValue(), iValue));
}

void LayerDlg::on_moveLayerUpBtn_clicked()
{
    Layer *pLayer = CurrentLayer();
    if (!pLayer)
        return;
    // The row, not the z value: z values have gaps once layers are deleted.
    const int row = RowOf(pLayer);
    Push(new ChangeLayerOrderCmd(pLayer, row, row - 1));
}

void LayerDlg::on_moveLayerDownBtn_clicked()
{
    Layer *pLayer = CurrentLayer();
    if (!pLayer)
        return;
    const int row = RowOf(pLayer);
    Push(new ChangeLayerOrderCmd(pLayer, row, row + 1));
}

void LayerDlg::on_blendingMode_currentIndexChanged(int iIndex)
{
    Layer *pLayer = CurrentLayer();
    if (m_bUpdating || !pLayer || iIndex < 0)
        return;
    const int mode = m_pUi->blendingMode->itemData(iIndex).toInt();
    if (mode != pLayer->blendingMode())
        Push(new ChangeLayerBlendingCmd(pLayer, pLayer->blendingMode(), mode));
}

void LayerDlg::on_styleBtn_clicked()
{
    Layer *pLayer = CurrentLayer();
    if (!pLayer)
        return;
    if (!m_pStyleDlg) {
        m_pStyleDlg = new LayerStyleDlg(this);
        m_pStyleDlg->SetPalette(m_pPalette);
    }
    m_pStyleDlg->SetLayer(pLayer);
    m_pStyleDlg->show();
    m_pStyleDlg->raise();
}

void LayerDlg::SetPalette(ColorPicker *pPalette)
{
    m_pPalette = pPalette;
    if (m_pStyleDlg)
        m_pStyleDlg->SetPalette(pPalette);
}

LayerStyleDlg *LayerDlg::StyleDialog() const
{
    return m_pStyleDlg;
}

void LayerDlg::on_createBrushBtn_clicked()
{
    PixmapLayer *pLayer = m_pDocument ? m_pDocument->CurrentRasterLayer() : nullptr;
    if (pLayer)
        Q_EMIT NewBrushRequested(pLayer->image());
}

void LayerDlg::resizeEvent(QResizeEvent *pEvent)
{
    QPainterPath rounded;
    rounded.addRoundedRect(QRectF(rect()), 15, 15, Qt::AbsoluteSize);
    setMask(QRegion(rounded.toFillPolygon().toPolygon()));
    QDockWidget::resizeEvent(pEvent);
}
