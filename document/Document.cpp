#include "Document.h"

#include "Layer.h"
#include "PaintSession.h"
#include "Path.h"
#include "PixmapLayer.h"
#include "RegionOutline.h"
#include "ScratchDB.h"
#include "TextLayer.h"

#include <QPainter>
#include <QStyleOptionGraphicsItem>
#include <QUndoStack>
#include <algorithm>
#include <functional>

namespace {

bool zLess(const Layer *a, const Layer *b)
{
    return a->zValue() < b->zValue();
}

} // namespace

Document::Document(const QSize &canvasSize, const DocumentEnv &env, QObject *pParent)
    : QObject(pParent)
    , m_env(env)
    , m_pUndoStack(new QUndoStack(this))
    , m_canvasSize(canvasSize)
    , m_pPaint(std::make_unique<PaintSession>())
{
    connect(m_pUndoStack, &QUndoStack::cleanChanged, this, [this](bool bClean) { Q_EMIT ModifiedChanged(!bClean); });
}

Document::Document(const QSize &canvasSize, ScratchDB &store, QObject *pParent)
    : Document(canvasSize, DocumentEnv(store), pParent)
{
}

Document::~Document()
{
    m_bDestroying = true;
    Q_EMIT Closing();
    m_pPaint.reset();
    // Commands first: they release their snapshots and refer to layers.
    delete m_pUndoStack;
    m_pUndoStack = nullptr;
    for (Layer *pLayer : std::as_const(m_layers)) {
        if (pLayer->kind() == Layer::Raster)
            m_env.store.ForgetTarget(static_cast<PixmapLayer *>(pLayer));
        delete pLayer;
    }
    m_layers.clear();
    // Nothing refers to them now that the commands and layers are gone.
    for (int iId : std::as_const(m_ownItems))
        m_env.store.ReleaseItem(iId);
    qDeleteAll(m_paths);
}

// --- Canvas ----------------------------------------------------------------------

void Document::SetCanvasSize(const QSize &size)
{
    m_canvasSize = size;
    Q_EMIT CanvasResized(size);
}

void Document::ScaleImage(const QSize &size)
{
    for (Layer *pLayer : Ordered())
        if (pLayer->kind() == Layer::Raster)
            static_cast<PixmapLayer *>(pLayer)->Scale(size);
    SetCanvasSize(size);
}

// --- Layers ------------------------------------------------------------------------

const QList<Layer *> &Document::Ordered() const
{
    if (m_bOrderDirty) {
        if (!std::is_sorted(m_layers.begin(), m_layers.end(), zLess))
            std::stable_sort(m_layers.begin(), m_layers.end(), zLess);
        m_bOrderDirty = false;
    }
    return m_layers;
}

Layer *Document::CreateLayer(int iKind)
{
    if (iKind == Layer::Raster)
        return AddLayer(new PixmapLayer(nullptr, m_canvasSize.width(), m_canvasSize.height()));
    return AddLayer(new TextLayer(nullptr));
}

Layer *Document::CreateLayer(const QImage &pixels)
{
    return AddLayer(new PixmapLayer(nullptr, pixels));
}

Layer *Document::AddLayer(Layer *pLayer)
{
    const int iKind = pLayer->kind();
    pLayer->setName(QStringLiteral("New Layer"));
    pLayer->setZValue(m_layers.size());
    pLayer->setOwner(this);
    if (iKind == Layer::Raster) {
        pLayer->setCurrentSnapshotId(m_env.store.AddItem(static_cast<PixmapLayer *>(pLayer)));
        m_ownItems.append(pLayer->currentSnapshotId());
    }
    if (!m_layers.isEmpty() && m_layers.last()->zValue() > pLayer->zValue())
        m_bOrderDirty = true;
    m_layers.append(pLayer);
    Q_EMIT LayerAdded(pLayer);
    SetCurrentLayer(pLayer);
    return pLayer;
}

QList<Layer *> Document::GetLayers(bool bExcludeDeleted) const
{
    const QList<Layer *> &all = Ordered();
    if (!bExcludeDeleted)
        return all;
    QList<Layer *> result;
    result.reserve(all.size());
    for (Layer *pLayer : all)
        if (!pLayer->isDeleted())
            result.append(pLayer);
    return result;
}

int Document::CountLayers() const
{
    return int(std::count_if(m_layers.begin(), m_layers.end(), [](Layer *p) { return !p->isDeleted(); }));
}

void Document::SetCurrentLayer(Layer *pLayer)
{
    if (pLayer == m_pCurrent)
        return;
    m_pCurrent = pLayer;
    Q_EMIT CurrentLayerChanged(pLayer);
}

PixmapLayer *Document::CurrentRasterLayer() const
{
    if (!m_pCurrent || m_pCurrent->kind() != Layer::Raster || m_pCurrent->isDeleted())
        return nullptr;
    return static_cast<PixmapLayer *>(m_pCurrent);
}

int Document::RowOf(const Layer *pLayer) const
{
    const QList<Layer *> &all = Ordered();
    int row = 0;
    for (auto it = all.crbegin(); it != all.crend(); ++it) {
        if ((*it)->isDeleted())
            continue;
        if (*it == pLayer)
            return row;
        ++row;
    }
    return -1;
}

Layer *Document::LayerAtRow(int iRow) const
{
    if (iRow < 0)
        return nullptr;
    const QList<Layer *> &all = Ordered();
    int row = 0;
    for (auto it = all.crbegin(); it != all.crend(); ++it) {
        if ((*it)->isDeleted())
            continue;
        if (row++ == iRow)
            return *it;
    }
    return nullptr;
}

void Document::MoveLayer(Layer *pLayer, int iRow)
{
    QList<Layer *> rows = GetLayers(true);
    std::reverse(rows.begin(), rows.end());
    const int row = int(rows.indexOf(pLayer));
    if (row < 0 || iRow < 0 || iRow >= rows.size())
        return;
    QList<qreal> zValues;
    for (Layer *p : std::as_const(rows))
        zValues.append(p->zValue());
    std::sort(zValues.begin(), zValues.end(), std::greater<qreal>());
    rows.move(row, iRow);
    m_bReordering = true;
    for (int i = 0; i < rows.size(); ++i)
        rows[i]->setZValue(zValues.at(i));
    m_bReordering = false;
    m_bOrderDirty = true;
    Q_EMIT LayersReordered();
}

void Document::NotifyLayerChanged(Layer *pLayer)
{
    if (!m_bDestroying)
        Q_EMIT LayerChanged(pLayer);
}

void Document::NotifyTyping(TextLayer *pLayer, const TextTyping &typing)
{
    if (!m_bDestroying)
        Q_EMIT TypingFinished(pLayer, typing);
}

void Document::NotifyPixelsChanged(Layer *pLayer)
{
    if (!m_bDestroying)
        Q_EMIT LayerPixelsChanged(pLayer);
}

void Document::NotifyOrderChanged()
{
    m_bOrderDirty = true;
    if (!m_bReordering && !m_bDestroying)
        Q_EMIT LayersReordered();
}

void Document::NotifyDeletedChanged(Layer *pLayer)
{
    if (m_bDestroying)
        return;
    if (!pLayer->isDeleted()) {
        Q_EMIT LayerAdded(pLayer);
        SetCurrentLayer(pLayer);
        return;
    }
    Q_EMIT LayerRemoved(pLayer);
    if (pLayer == m_pCurrent)
        PickCurrentAfterRemoval(pLayer);
}

// The layer below takes over, as the next row of the panel would; the one
// above when nothing is below.
void Document::PickCurrentAfterRemoval(Layer *pRemoved)
{
    const QList<Layer *> &all = Ordered();
    const qsizetype at = all.indexOf(pRemoved);
    Layer *pNext = nullptr;
    for (qsizetype i = at - 1; i >= 0 && !pNext; --i)
        if (!all[i]->isDeleted())
            pNext = all[i];
    for (qsizetype i = at + 1; i < all.size() && !pNext; ++i)
        if (!all[i]->isDeleted())
            pNext = all[i];
    SetCurrentLayer(pNext);
}

// --- Selection ----------------------------------------------------------------------

void Document::SetSelection(const QRegion &region)
{
    m_selection = region;
    if (region.isEmpty()) {
        m_selectionPath = QPainterPath();
        m_bSelectionPathStale = false;
        m_selectionMask = QImage();
        m_featheredImage = QImage();
    } else {
        m_selectionPath = QPainterPath();
        m_bSelectionPathStale = true;
        if (m_bFeather)
            BuildFeatheredMask();
    }
    Q_EMIT SelectionChanged();
}

const QPainterPath &Document::SelectionPath() const
{
    if (m_bSelectionPathStale) {
        m_selectionPath = RegionOutline::Path(m_selection);
        m_bSelectionPathStale = false;
    }
    return m_selectionPath;
}

void Document::SetFeather(bool bOn)
{
    m_bFeather = bOn;
    if (bOn) {
        BuildFeatheredMask();
    } else {
        m_selectionMask = QImage();
        m_featheredImage = QImage();
    }
    Q_EMIT SelectionChanged();
}

void Document::SetFeatherRadius(int iRadius)
{
    m_iFeatherRadius = iRadius;
    if (m_bFeather) {
        BuildFeatheredMask();
        Q_EMIT SelectionChanged();
    }
}

void Document::BuildFeatheredMask()
{
    if (m_selection.isEmpty()) {
        m_selectionMask = QImage();
        m_featheredImage = QImage();
        return;
    }
    QImage shape(m_canvasSize, QImage::Format_ARGB32);
    shape.fill(Qt::transparent);
    {
        QPainter painter(&shape);
        painter.fillPath(SelectionPath(), Qt::black);
    }
    const QRectF pathRect = SelectionPath().controlPointRect();
    const QRect grown = pathRect.toRect().adjusted(-m_iFeatherRadius, -m_iFeatherRadius, m_iFeatherRadius,
                                                   m_iFeatherRadius);
    const QImage part = shape.copy(grown);
    m_featheredImage = m_env.featherer ? m_env.featherer(part, m_iFeatherRadius) : part;
    RedrawMaskForMovedOutline();
}

void Document::RedrawMaskForMovedOutline()
{
    if (!m_bFeather || m_featheredImage.isNull())
        return;
    m_selectionMask = QImage(m_canvasSize, QImage::Format_ARGB32_Premultiplied);
    m_selectionMask.fill(Qt::transparent);
    QPainter painter(&m_selectionMask);
    painter.drawImage(SelectionPath().controlPointRect(), m_featheredImage);
}

// --- Paths ------------------------------------------------------------------------------

void Document::AddPath(Path *pPath)
{
    m_paths.append(pPath);
    Q_EMIT PathsChanged();
}

void Document::DeletePath(Path *pPath)
{
    if (!m_paths.removeOne(pPath))
        return;
    delete pPath;
    Q_EMIT PathsChanged();
}

void Document::InsertPath(int iIndex, Path *pPath)
{
    m_paths.insert(qBound(0, iIndex, int(m_paths.size())), pPath);
    Q_EMIT PathsChanged();
}

int Document::TakePath(Path *pPath)
{
    const int index = int(m_paths.indexOf(pPath));
    if (index < 0)
        return -1;
    m_paths.removeAt(index);
    Q_EMIT PathsChanged();
    return index;
}

void Document::NotifyPathChanged(Path *pPath)
{
    Q_EMIT PathChanged(pPath);
}

// --- File --------------------------------------------------------------------------------

void Document::SetFileName(const QString &path)
{
    m_fileName = path;
    MarkSaved();
    Q_EMIT FileNameChanged(path);
}

void Document::MarkSaved()
{
    m_pUndoStack->setClean();
}

bool Document::IsModified() const
{
    return !m_pUndoStack->isClean();
}

// --- Painting protocol ---------------------------------------------------------------------

void Document::BeginPaint(bool bAccumulate, PixmapLayer *pLayer)
{
    PixmapLayer *pTarget = pLayer ? pLayer : CurrentRasterLayer();
    // A restore still on its way from disk must land before the edit starts.
    if (pTarget)
        m_env.store.WaitForPending(pTarget);
    m_pPaint->Begin(pTarget, m_canvasSize, bAccumulate);
}

void Document::BeginOwnPixels(PixmapLayer *pLayer)
{
    if (pLayer)
        m_env.store.WaitForPending(pLayer);
    m_pPaint->BeginOwnPixels(pLayer);
}

QPainter *Document::BeginStroke()
{
    return m_pPaint->BeginStroke();
}

const QImage *Document::PaintMask() const
{
    return m_bFeather && !m_selectionMask.isNull() ? &m_selectionMask : nullptr;
}

void Document::CommitStroke(const QRect &area)
{
    m_pPaint->Commit(area, m_selection, PaintMask());
}

void Document::CommitErase(const QRect &area)
{
    m_pPaint->CommitErase(area, m_selection, PaintMask());
}

void Document::CommitResult(const QImage &result, const QRect &area)
{
    m_pPaint->CommitResult(result, area, m_selection, PaintMask());
}

void Document::EndPaint()
{
    if (PixmapLayer *pLayer = m_pPaint->End())
        NotifyPixelsChanged(pLayer);
}

QImage &Document::StrokeBuffer()
{
    return m_pPaint->strokeBuffer();
}

const QImage &Document::BaseImage() const
{
    return m_pPaint->baseImage();
}

PixmapLayer *Document::PaintLayer() const
{
    return m_pPaint->layer();
}

// --- Rendering ----------------------------------------------------------------------------------

void Document::RenderTo(QPainter *pPainter) const
{
    for (Layer *pLayer : Ordered()) {
        // What you see is what you export: hidden layers stay out.
        if (pLayer->isDeleted() || !pLayer->isVisible())
            continue;
        pLayer->MarkChanged();
        const QPointF position = pLayer->pos();
        pPainter->resetTransform();
        pPainter->save();
        pPainter->translate(position);
        QStyleOptionGraphicsItem option;
        option.exposedRect = QRectF(-position.x(), -position.y(), m_canvasSize.width(), m_canvasSize.height());
        pLayer->item()->paint(pPainter, &option, nullptr);
        pPainter->restore();
    }
}

QImage Document::Flattened() const
{
    // One plain layer covering the canvas is its own picture: its straight
    // pixels go out untouched, so opening and saving an image loses nothing.
    const QList<Layer *> shown = [this] {
        QList<Layer *> result;
        for (Layer *pLayer : Ordered())
            if (!pLayer->isDeleted() && pLayer->isVisible())
                result.append(pLayer);
        return result;
    }();
    if (shown.size() == 1 && shown.first()->kind() == Layer::Raster && shown.first()->pos() == QPointF(0, 0)
        && shown.first()->opacity() == 1.0 && shown.first()->blendingMode() == QPainter::CompositionMode_SourceOver
        && !shown.first()->styles().HasEnabled()) {
        const QImage &pixels = static_cast<const PixmapLayer *>(shown.first())->image();
        if (pixels.size() == m_canvasSize)
            return pixels;
    }
    // Composed premultiplied, as the window composes, and unpremultiplied
    // once at the end.
    QImage image(m_canvasSize, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    {
        QPainter painter(&image);
        RenderTo(&painter);
    }
    return image.convertToFormat(QImage::Format_ARGB32);
}
