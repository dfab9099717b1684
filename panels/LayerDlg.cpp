#include "LayerDlg.h"
#include "ui_LayerDlg.h"

#include "AddPathCmd.h"
#include "BrushDlg.h"
#include "BrushTool.h"
#include "ColorSwatch.h"
#include "PaintToolSupport.h"
#include "PathActions.h"
#include "ToolboxDlg.h"
#include "CQTitleBar.h"
#include "ChangeLayerBlendingCmd.h"
#include "ChangeLayerOpacityCmd.h"
#include "ChangeLayerOrderCmd.h"
#include "CreateLayerCmd.h"
#include "DeleteLayerCmd.h"
#include "Document.h"
#include "Layer.h"
#include "LayerStyleDlg.h"
#include "Path.h"
#include "PixmapLayer.h"
#include "RenameLayerCmd.h"

#include <QAction>
#include <QHash>
#include <QCursor>
#include <QMenu>
#include <QPainter>
#include <QPainterPath>
#include <QRegion>
#include <QResizeEvent>
#include <QTimer>
#include <QUndoStack>

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

    setAttribute(Qt::WA_AlwaysShowToolTips);
    auto *pTitle = new CQTitleBar(this);
    pTitle->setTitle(QStringLiteral("Layers"));
    setTitleBarWidget(pTitle);

    m_pUi->layerList->setModel(&m_layerModel);
    m_pUi->pathList->setModel(&m_pathModel);
    m_pUi->layerList->setUniformRowHeights(true);
    m_pLayerSelection = m_pUi->layerList->selectionModel();
    m_pPathSelection = m_pUi->pathList->selectionModel();
    connect(&m_layerModel, &QStandardItemModel::itemChanged, this, &LayerDlg::ItemChanged);
    connect(&m_pathModel, &QStandardItemModel::itemChanged, this, &LayerDlg::PathItemChanged);
    connect(m_pLayerSelection, &QItemSelectionModel::currentChanged, this, &LayerDlg::SelectionChanged);
    connect(m_pPathSelection, &QItemSelectionModel::currentChanged, this,
            qOverload<QModelIndex, QModelIndex>(&LayerDlg::PathSelectionChanged));
    connect(m_pUi->layerList, &QWidget::customContextMenuRequested, this, &LayerDlg::LayerListContextMenu);
    m_pUi->pathList->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_pUi->pathList, &QWidget::customContextMenuRequested, this, &LayerDlg::PathListContextMenu);
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
    m_pStrokePathAction = makeAction(QStringLiteral("Stroke Path"), QStringLiteral("paint along the path with the brush's colour and width"), &LayerDlg::StrokePath);
    m_pFillPathAction = makeAction(QStringLiteral("Fill Path"), QStringLiteral("fill the path's inside with the brush's colour"), &LayerDlg::FillPath);
    m_pPathSelectionAction = makeAction(QStringLiteral("Path to Selection"), QStringLiteral("select the path's inside"), &LayerDlg::PathToSelection);
    m_pDeletePathAction = makeAction(QStringLiteral("Delete Path"), QStringLiteral("delete this path"), &LayerDlg::on_deletePathBtn_clicked);
    UpdateButtons();
}

LayerDlg::~LayerDlg()
{
    delete m_pUi;
}

QSize LayerDlg::ThumbnailSize(const QSize &imageSize)
{
    const int w = imageSize.width(), h = imageSize.height();
    if (w <= 0 || h <= 0)
        return QSize(kThumbnailSide, kThumbnailSide);
    if (h > w)
        return QSize(qMax(1, qRound(double(kThumbnailSide) * w / h)), kThumbnailSide);
    return QSize(kThumbnailSide, qMax(1, qRound(double(kThumbnailSide) * h / w)));
}

QPixmap LayerDlg::Thumbnail(const QImage &image)
{
    QPixmap thumbnail(kThumbnailSide, kThumbnailSide);
    thumbnail.fill(Qt::transparent);
    QPainter painter(&thumbnail);
    const QSize size = ThumbnailSize(image.size());
    const QRect target(QPoint((kThumbnailSide - size.width()) / 2, (kThumbnailSide - size.height()) / 2), size);
    QPixmap tile(8, 8);
    tile.fill(Qt::white);
    {
        QPainter tilePainter(&tile);
        tilePainter.fillRect(4, 0, 4, 4, QColor(204, 204, 204));
        tilePainter.fillRect(0, 4, 4, 4, QColor(204, 204, 204));
    }
    painter.drawTiledPixmap(target, tile);
    // A quick sample of four by four pixels per thumbnail pixel, then a
    // smooth reduction of that: cheap enough to follow a brush stroke.
    const QSize sample = size * 4;
    const QImage sampled = image.width() > sample.width() || image.height() > sample.height()
                               ? image.scaled(sample, Qt::IgnoreAspectRatio, Qt::FastTransformation)
                               : image;
    painter.drawImage(target, sampled.convertToFormat(QImage::Format_ARGB32_Premultiplied)
                                  .scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
    return thumbnail;
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
        connect(pDocument, &Document::PathsChanged, this, &LayerDlg::RebuildPaths);
        connect(pDocument, &Document::Closing, this, [this] { SetDocument(nullptr); });
    }
    RebuildRows();
    RebuildPaths();
}

static Path *pathOf(const QStandardItem *pItem)
{
    return pItem ? static_cast<Path *>(pItem->data(LayerDlg::kLayerRole).value<void *>()) : nullptr;
}

static Layer *layerOf(const QStandardItem *pItem)
{
    return pItem ? static_cast<Layer *>(pItem->data(LayerDlg::kLayerRole).value<void *>()) : nullptr;
}

namespace {

// A layer's row. Its thumbnail is drawn when the view first asks for it, so
// a document of thousands of layers costs only the rows in sight.
class LayerRow : public QStandardItem {
public:
    LayerRow(Layer *pLayer, const QPixmap &thumbnail)
        : QStandardItem(pLayer->name())
        , m_pLayer(pLayer)
        , m_thumbnail(thumbnail)
    {
    }
    QVariant data(int iRole) const override
    {
        if (iRole != Qt::DecorationRole)
            return QStandardItem::data(iRole);
        if (m_thumbnail.isNull())
            m_thumbnail = m_pLayer->kind() == Layer::Text ? TextIcon()
                                                          : LayerDlg::Thumbnail(static_cast<PixmapLayer *>(m_pLayer)->image());
        return m_thumbnail;
    }
    // The pixels changed: drawn again when next shown.
    void Forget()
    {
        m_thumbnail = QPixmap();
        emitDataChanged();
    }
    QPixmap Cached() const { return m_thumbnail; }

private:
    static QPixmap TextIcon()
    {
        static const QPixmap icon = [] {
            QPixmap square(LayerDlg::kThumbnailSide, LayerDlg::kThumbnailSide);
            square.fill(Qt::transparent);
            QPainter painter(&square);
            const QPixmap font(QStringLiteral(":/icons/font.png"));
            painter.drawPixmap((square.width() - font.width()) / 2, (square.height() - font.height()) / 2, font);
            return square;
        }();
        return icon;
    }

    Layer *m_pLayer;
    mutable QPixmap m_thumbnail;
};

} // namespace

QStandardItem *LayerDlg::MakeRow(Layer *pLayer, const QPixmap &thumbnail)
{
    auto *pItem = new LayerRow(pLayer, thumbnail);
    pItem->setCheckable(true);
    // A hidden layer shows an unchecked box, so the panel never claims a
    // layer is visible when it is not.
    pItem->setCheckState(pLayer->isVisible() ? Qt::Checked : Qt::Unchecked);
    pItem->setData(int(pItem->checkState()), kCheckRole);
    pItem->setData(QVariant::fromValue(static_cast<void *>(pLayer)), kLayerRole);
    return pItem;
}

void LayerDlg::RebuildRows()
{
    m_bUpdating = true;
    // Rows that stay keep their thumbnails.
    QHash<Layer *, QPixmap> thumbnails;
    for (int row = 0; row < m_layerModel.rowCount(); ++row)
        thumbnails.insert(layerOf(m_layerModel.item(row)), static_cast<LayerRow *>(m_layerModel.item(row))->Cached());
    m_layerModel.removeRows(0, m_layerModel.rowCount());
    if (m_pDocument) {
        const QList<Layer *> layers = m_pDocument->GetLayers(true);
        // Appended topmost first: one pass, however many layers there are.
        for (auto it = layers.crbegin(); it != layers.crend(); ++it)
            m_pLayerRoot->appendRow(MakeRow(*it, thumbnails.value(*it)));
    }
    m_bUpdating = false;
    CurrentLayerChanged(m_pDocument ? m_pDocument->CurrentLayer() : nullptr);
    UpdateButtons();
}

void LayerDlg::RebuildPaths()
{
    // The picked path stays picked when it is still there; rebuilding alone
    // tells nobody about a change of pick.
    Path *pPicked = SelectedPath();
    const QSignalBlocker blocker(m_pPathSelection);
    m_pathModel.removeRows(0, m_pathModel.rowCount());
    if (m_pDocument)
        for (Path *pPath : m_pDocument->paths()) {
            auto *pItem = new QStandardItem(pPath->name());
            pItem->setCheckable(true);
            pItem->setCheckState(Qt::Checked);
            pItem->setData(QVariant::fromValue(static_cast<void *>(pPath)), kLayerRole);
            m_pPathRoot->insertRow(0, pItem);
        }
    m_pPathSelection->clear();
    if (pPicked)
        for (int row = 0; row < m_pathModel.rowCount(); ++row)
            if (pathOf(m_pathModel.item(row)) == pPicked)
                m_pPathSelection->setCurrentIndex(m_pathModel.index(row, 0), QItemSelectionModel::ClearAndSelect);
    m_pUi->deletePathBtn->setEnabled(m_pathModel.rowCount() > 0);
    m_pUi->pathList->viewport()->update();
}

void LayerDlg::LayerAdded(Layer *pLayer)
{
    const int row = m_pDocument->RowOf(pLayer);
    if (row < 0 || RowOf(pLayer) >= 0)
        return;
    m_bUpdating = true;
    m_pLayerRoot->insertRow(row, MakeRow(pLayer));
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
        if (layerOf(m_layerModel.item(row)) == pLayer)
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
    return layerOf(m_layerModel.item(iRow));
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

void LayerDlg::PickPath(Path *pPath)
{
    for (int row = 0; row < m_pathModel.rowCount(); ++row)
        if (pPath && pathOf(m_pathModel.item(row)) == pPath) {
            m_pPathSelection->setCurrentIndex(m_pathModel.index(row, 0), QItemSelectionModel::ClearAndSelect);
            return;
        }
    m_pPathSelection->clear();
}

QMetaObject::Connection LayerDlg::OnNewPath(QObject *pReceiver, std::function<void()> handler)
{
    return connect(this, &LayerDlg::NewPath, pReceiver, [handler = std::move(handler)] { handler(); });
}

QMetaObject::Connection LayerDlg::OnPathPicked(QObject *pReceiver, std::function<void(Path *)> handler)
{
    return connect(this, qOverload<Path *>(&LayerDlg::PathSelectionChanged), pReceiver,
                   [handler = std::move(handler)](Path *pPath) { handler(pPath); });
}

QList<QAction *> LayerDlg::PathContextActions() const
{
    return {m_pStrokePathAction, m_pFillPathAction, m_pPathSelectionAction, m_pDeletePathAction};
}

void LayerDlg::PathListContextMenu(QPoint point)
{
    // The entries act on the row under the mouse.
    const QModelIndex index = m_pUi->pathList->indexAt(point);
    if (!index.isValid())
        return;
    m_pPathSelection->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
    QMenu menu(this);
    menu.addActions(PathContextActions());
    menu.exec(QCursor::pos());
}

// What the brush paints with: its swatch's saved colour and its width.
static QColor brushColor()
{
    const ColorSwatch swatch(QStringLiteral("BrushColorSwatch"), nullptr);
    return swatch.Color();
}

static int brushWidth()
{
    ToolboxDlg *pToolbox = ToolboxDlg::existing();
    auto *pBrush = pToolbox ? static_cast<BrushTool *>(pToolbox->tools().Tool(ToolSet::Brush)) : nullptr;
    return pBrush ? pBrush->Width() : 10;
}

void LayerDlg::StrokePath()
{
    Path *pPath = SelectedPath();
    if (!pPath || !m_pDocument)
        return;
    if (PixmapLayer *pLayer = PaintToolSupport::RasterForPainting(m_pDocument, window()))
        PathActions::Stroke(m_pDocument, pLayer, *pPath, brushColor(), brushWidth());
}

void LayerDlg::FillPath()
{
    Path *pPath = SelectedPath();
    if (!pPath || !m_pDocument)
        return;
    if (PixmapLayer *pLayer = PaintToolSupport::RasterForPainting(m_pDocument, window()))
        PathActions::Fill(m_pDocument, pLayer, *pPath, brushColor());
}

void LayerDlg::PathToSelection()
{
    if (Path *pPath = SelectedPath(); pPath && m_pDocument)
        PathActions::ToSelection(m_pDocument, *pPath);
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
    Layer *pLayer = layerOf(pItem);
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
    if (Layer *pLayer = layerOf(m_layerModel.itemFromIndex(current)))
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
    if (!m_pStyleDlg)
        m_pStyleDlg = new LayerStyleDlg(this);
    m_pStyleDlg->SetLayer(pLayer);
    m_pStyleDlg->show();
    m_pStyleDlg->raise();
}

LayerStyleDlg *LayerDlg::StyleDialog() const
{
    return m_pStyleDlg;
}

void LayerDlg::on_createBrushBtn_clicked()
{
    PixmapLayer *pLayer = m_pDocument ? m_pDocument->CurrentRasterLayer() : nullptr;
    if (pLayer && BrushDlg::existing())
        BrushDlg::existing()->NewBrushFromImage(pLayer->image());
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
    // New paths are drawn with the path tool: it comes up ready for one.
    if (ToolboxDlg *pToolbox = ToolboxDlg::existing(); pToolbox && pToolbox->CurrentTool()
        != pToolbox->tools().Tool(ToolSet::PathEdit))
        pToolbox->Select(ToolSet::PathEdit);
    Q_EMIT NewPath();
}

void LayerDlg::on_deletePathBtn_clicked()
{
    Path *pPath = SelectedPath();
    m_pPathSelection->clearSelection();
    if (pPath && m_pDocument && m_pDocument->paths().contains(pPath))
        Push(new AddPathCmd(m_pDocument, pPath, AddPathCmd::Delete));
}

void LayerDlg::resizeEvent(QResizeEvent *pEvent)
{
    QPainterPath rounded;
    rounded.addRoundedRect(QRectF(rect()), 15, 15, Qt::AbsoluteSize);
    setMask(QRegion(rounded.toFillPolygon().toPolygon()));
    QDockWidget::resizeEvent(pEvent);
}
