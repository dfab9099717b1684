#include "LayerDlg.h"
#include "ui_LayerDlg.h"

#include "CQTitleBar.h"
#include "ChangeLayerBlendingCmd.h"
#include "ChangeLayerOpacityCmd.h"
#include "ChangeLayerOrderCmd.h"
#include "ChildWindow.h"
#include "DeleteLayerCmd.h"
#include "GraphicsScene.h"
#include "Layer.h"
#include "MainWindow.h"
#include "Path.h"
#include "PixmapLayer.h"
#include "RenameLayerCmd.h"
#include "UndoDlg.h"

#include <QAction>
#include <algorithm>
#include <functional>
#include <QCursor>
#include <QMenu>
#include <QPainterPath>
#include <QRegion>
#include <QResizeEvent>

LayerDlg *LayerDlg::instance()
{
    static LayerDlg *s_pInstance = new LayerDlg;
    return s_pInstance;
}

LayerDlg::LayerDlg()
    : QDockWidget(nullptr)
    , m_pUi(new Ui::LayerDlg)
{
    m_pLayerRoot = m_layerModel.invisibleRootItem();
    m_pPathRoot = m_pathModel.invisibleRootItem();
    m_pUi->setupUi(this);
    m_bUpdating = false;

    setAttribute(Qt::WA_AlwaysShowToolTips);
    auto *pTitle = new CQTitleBar(this);
    pTitle->setTitle(QStringLiteral("Layers"));
    setTitleBarWidget(pTitle);

    m_pUi->layerList->setModel(&m_layerModel);
    m_pUi->pathList->setModel(&m_pathModel);
    m_pLayerSelection = m_pUi->layerList->selectionModel();
    m_pPathSelection = m_pUi->pathList->selectionModel();
    connect(&m_layerModel, &QStandardItemModel::itemChanged, this, &LayerDlg::ItemChanged);
    connect(&m_pathModel, &QStandardItemModel::itemChanged, this, &LayerDlg::PathItemChanged);
    connect(m_pLayerSelection, &QItemSelectionModel::currentChanged, this, &LayerDlg::SelectionChanged);
    connect(m_pPathSelection, &QItemSelectionModel::currentChanged, this,
            qOverload<QModelIndex, QModelIndex>(&LayerDlg::PathSelectionChanged));
    connect(m_pUi->layerList, &QWidget::customContextMenuRequested, this, &LayerDlg::LayerListContextMenu);

    m_bUpdating = true;
    for (const auto &[name, code] : BlendingModes())
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
}

LayerDlg::~LayerDlg()
{
    delete m_pUi;
}

const QList<QPair<QString, int>> &LayerDlg::BlendingModes()
{
    static const QList<QPair<QString, int>> modes = {
        {QStringLiteral("Normal"), 0},       {QStringLiteral("Multiply"), 13},
        {QStringLiteral("Plus"), 12},        {QStringLiteral("Xor"), 11},
        {QStringLiteral("Screen"), 14},      {QStringLiteral("Overlay"), 15},
        {QStringLiteral("Darken"), 16},      {QStringLiteral("Lighten"), 17},
        {QStringLiteral("Color Dodge"), 18}, {QStringLiteral("Color Burn"), 19},
        {QStringLiteral("Hard Light"), 20},  {QStringLiteral("Soft Light"), 21},
        {QStringLiteral("Difference"), 22},  {QStringLiteral("Exclusion"), 23},
    };
    return modes;
}

QSize LayerDlg::ThumbnailSize(const QSize &imageSize)
{
    const int w = imageSize.width(), h = imageSize.height();
    if (w <= 0 || h <= 0)
        return QSize(64, 64);
    if (h > w)
        return QSize(int(64.0 / h * w), 64);
    return QSize(64, int(64.0 / w * h));
}

void LayerDlg::Push(QUndoCommand *pCommand)
{
    UndoDlg::instance()->Push(pCommand);
}

void LayerDlg::Clear()
{
    m_layerModel.removeRows(0, m_layerModel.rowCount());
    m_pathModel.removeRows(0, m_pathModel.rowCount());
}

void LayerDlg::AddLayer(Layer *pLayer)
{
    auto *pItem = new QStandardItem(pLayer->name());
    pItem->setCheckable(true);
    // A layer restored as hidden shows an unchecked box, so the panel never
    // claims a layer is visible when it is not.
    pItem->setCheckState(pLayer->isVisible() ? Qt::Checked : Qt::Unchecked);
    pItem->setData(int(pItem->checkState()), kCheckRole);
    pItem->setData(QVariant::fromValue(static_cast<void *>(pLayer)), kLayerRole);
    QPixmap thumbnail;
    if (pLayer->kind() == Layer::Text)
        thumbnail = QPixmap(QStringLiteral(":/icons/font.png"));
    else
        thumbnail = static_cast<PixmapLayer *>(pLayer)->image();
    pItem->setData(thumbnail.scaled(32, 32, Qt::IgnoreAspectRatio, Qt::FastTransformation), Qt::DecorationRole);
    m_pLayerRoot->insertRow(0, pItem);
    m_pUi->layerList->setCurrentIndex(pItem->index());
    if (m_layerModel.rowCount() > 1)
        m_pUi->deleteLayerBtn->setEnabled(true);
}

static Layer *layerOf(const QStandardItem *pItem)
{
    return pItem ? static_cast<Layer *>(pItem->data(LayerDlg::kLayerRole).value<void *>()) : nullptr;
}

int LayerDlg::RowOf(const Layer *pLayer) const
{
    for (int row = 0; row < m_layerModel.rowCount(); ++row)
        if (layerOf(m_layerModel.item(row)) == pLayer)
            return row;
    return -1;
}

int LayerDlg::RowCount() const
{
    return m_layerModel.rowCount();
}

void LayerDlg::RemoveLayer(Layer *pLayer)
{
    const int row = RowOf(pLayer);
    if (row < 0)
        return;
    m_layerModel.removeRow(row);
    if (m_layerModel.rowCount() == 1)
        m_pUi->deleteLayerBtn->setEnabled(false);
}

Layer *LayerDlg::CurrentLayer() const
{
    const QModelIndex current = m_pUi->layerList->currentIndex();
    if (!current.isValid())
        return nullptr;
    return layerOf(m_layerModel.itemFromIndex(current));
}

Layer *LayerDlg::LayerAtRow(int iRow) const
{
    return layerOf(m_layerModel.item(iRow));
}

void LayerDlg::SelectLayer(Layer *pLayer)
{
    const int row = RowOf(pLayer);
    if (row >= 0)
        m_pUi->layerList->setCurrentIndex(m_layerModel.index(row, 0));
}

void LayerDlg::RenameLayer(Layer *pLayer, const QString &name)
{
    const int row = RowOf(pLayer);
    if (row >= 0)
        m_layerModel.item(row)->setText(name);
}

void LayerDlg::SetLayerOpacity(int iValue, Layer *pLayer)
{
    if (pLayer)
        pLayer->setOpacity(qreal(iValue) / m_pUi->opacity->maximum());
    m_bUpdating = true;
    m_pUi->opacity->setValue(iValue);
    m_bUpdating = false;
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

void LayerDlg::MoveLayer(Layer *pLayer, int iRow)
{
    const QModelIndex target = m_pUi->layerList->currentIndex().sibling(iRow, 0);
    if (!target.isValid())
        return;
    const int row = RowOf(pLayer);
    if (row < 0)
        return;
    // The rows share out the z values they already hold, highest at the
    // top. With no deleted layers that is rows - 1 - row; with deleted ones
    // it keeps their values unique and makes every move exactly undoable.
    const int rows = m_layerModel.rowCount();
    QList<qreal> zValues;
    for (int i = 0; i < rows; ++i)
        if (Layer *p = layerOf(m_layerModel.item(i)))
            zValues.append(p->zValue());
    std::sort(zValues.begin(), zValues.end(), std::greater<qreal>());
    const QList<QStandardItem *> taken = m_layerModel.takeRow(row);
    m_layerModel.insertRow(iRow, taken);
    m_pUi->layerList->setCurrentIndex(m_layerModel.index(iRow, 0));
    for (int i = 0, next = 0; i < rows; ++i)
        if (Layer *p = layerOf(m_layerModel.item(i)))
            p->setZValue(zValues.at(next++));
    Q_EMIT LayerZValueChanged();
}

void LayerDlg::UpdateLayerThumbnail(Layer *pLayer)
{
    const int row = RowOf(pLayer);
    if (row < 0 || pLayer->kind() != Layer::Raster)
        return;
    const QPixmap &image = static_cast<PixmapLayer *>(pLayer)->image();
    const QPixmap thumbnail = image.scaled(ThumbnailSize(image.size()), Qt::KeepAspectRatio, Qt::FastTransformation);
    m_layerModel.item(row)->setData(thumbnail, Qt::DecorationRole);
}

void LayerDlg::AddPath(Path *pPath)
{
    auto *pItem = new QStandardItem(pPath->name());
    pItem->setCheckable(true);
    pItem->setCheckState(Qt::Checked);
    pItem->setData(QVariant::fromValue(static_cast<void *>(pPath)), kLayerRole);
    m_pPathRoot->insertRow(0, pItem);
    m_pUi->pathList->setCurrentIndex(pItem->index());
    m_pUi->deletePathBtn->setEnabled(true);
}

static Path *pathOf(const QStandardItem *pItem)
{
    return pItem ? static_cast<Path *>(pItem->data(LayerDlg::kLayerRole).value<void *>()) : nullptr;
}

Path *LayerDlg::SelectedPath() const
{
    const QModelIndexList selected = m_pPathSelection->selectedIndexes();
    if (selected.isEmpty())
        return nullptr;
    return pathOf(m_pathModel.itemFromIndex(selected.first()));
}

void LayerDlg::SelectPath(Path *pPath)
{
    if (!pPath) {
        m_pPathSelection->clearSelection();
        return;
    }
    for (int row = 0; row < m_pathModel.rowCount(); ++row)
        if (pathOf(m_pathModel.item(row)) == pPath) {
            m_pPathSelection->select(m_pathModel.index(row, 0), QItemSelectionModel::Select);
            return;
        }
}

void LayerDlg::ShowPathsTab()
{
    m_pUi->tabWidget->setCurrentWidget(m_pUi->pathsTab);
    if (m_pathModel.rowCount() > 0)
        m_pPathSelection->select(m_pathModel.index(0, 0), QItemSelectionModel::Select);
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

void LayerDlg::LayerListContextMenu(QPoint)
{
    QMenu menu(this);
    menu.addActions(ContextActions());
    menu.exec(QCursor::pos());
}

void LayerDlg::ItemChanged(QStandardItem *pItem)
{
    Layer *pLayer = layerOf(pItem);
    if (!pLayer)
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
        Push(new RenameLayerCmd(pLayer, pItem, pLayer->name(), pItem->text()));
}

void LayerDlg::SelectionChanged(QModelIndex, QModelIndex previousSelection)
{
    Layer *pLayer = CurrentLayer();
    if (previousSelection.isValid()) {
        if (Layer *pPrevious = layerOf(m_layerModel.item(previousSelection.row()));
            pPrevious && pPrevious->kind() == Layer::Text)
            pPrevious->item()->setFlag(QGraphicsItem::ItemIsFocusable, false);
    }
    if (!pLayer)
        return;
    m_bUpdating = true;
    // Rounded: 0.29 * 100 is 28.999... and would show 28.
    m_pUi->opacity->setValue(qRound(m_pUi->opacity->maximum() * pLayer->opacity()));
    m_pUi->blendingMode->setCurrentIndex(m_pUi->blendingMode->findData(pLayer->blendingMode()));
    m_bUpdating = false;
    if (pLayer->kind() == Layer::Text)
        pLayer->item()->setFlag(QGraphicsItem::ItemIsFocusable, true);
    Q_EMIT LayerSelectionChanged(pLayer);
}

void LayerDlg::on_addLayerBtn_clicked()
{
    Q_EMIT NewLayer();
}

void LayerDlg::on_deleteLayerBtn_clicked()
{
    Layer *pLayer = CurrentLayer();
    if (!pLayer)
        return;
    Push(new DeleteLayerCmd(pLayer));
    if (m_layerModel.rowCount() == 1)
        m_pUi->deleteLayerBtn->setEnabled(false);
}

void LayerDlg::on_opacity_valueChanged(int iValue)
{
    Layer *pLayer = CurrentLayer();
    if (m_bUpdating || !pLayer || iValue == pLayer->opacityValue())
        return;
    const int old = pLayer->opacityValue();
    pLayer->setOpacityValue(iValue);
    Push(new ChangeLayerOpacityCmd(pLayer, old, iValue));
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
    Push(new ChangeLayerBlendingCmd(pLayer, pLayer->blendingMode(), mode));
    if (ChildWindow *pWindow = pLayer->window())
        pWindow->scene()->invalidate();
}

void LayerDlg::on_styleBtn_clicked()
{
    // Layer styles arrive with their own dialog; nothing to open yet.
}

void LayerDlg::on_createBrushBtn_clicked()
{
    // Brushes arrive with the brush engine; nothing to create yet.
}

void LayerDlg::PathItemChanged(QStandardItem *pItem)
{
    Path *pPath = pathOf(pItem);
    if (pPath && pItem->text() != pPath->name())
        pPath->setName(pItem->text());
}

void LayerDlg::PathSelectionChanged(QModelIndex current, QModelIndex)
{
    Q_EMIT PathSelectionChanged(pathOf(m_pathModel.itemFromIndex(current)));
}

void LayerDlg::on_addPathBtn_clicked()
{
    Q_EMIT NewPath();
}

void LayerDlg::on_deletePathBtn_clicked()
{
    Path *pPath = SelectedPath();
    for (int row = 0; row < m_pathModel.rowCount(); ++row)
        if (pathOf(m_pathModel.item(row)) == pPath) {
            m_pathModel.removeRow(row);
            break;
        }
    if (pPath) {
        if (MainWindow *pMain = MainWindow::existing(); pMain && pMain->currentDocument())
            pMain->currentDocument()->paths().removeAll(pPath);
        delete pPath;
    }
    m_pPathSelection->clearSelection();
}

void LayerDlg::resizeEvent(QResizeEvent *pEvent)
{
    QPainterPath rounded;
    rounded.addRoundedRect(QRectF(rect()), 15, 15, Qt::AbsoluteSize);
    setMask(QRegion(rounded.toFillPolygon().toPolygon()));
    QDockWidget::resizeEvent(pEvent);
}
