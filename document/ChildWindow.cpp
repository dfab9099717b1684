#include "ChildWindow.h"
#include "ui_ChildWindow.h"

#include "CreateLayerCmd.h"
#include "Feather.h"
#include "GraphicsScene.h"
#include "ImageFile.h"
#include "GraphicsView.h"
#include "LayerDlg.h"
#include "LayerSnapshotCmd.h"
#include "MainWindow.h"
#include "Path.h"
#include "PixmapLayer.h"
#include "ProgramCache.h"
#include "ResizeCanvasCmd.h"
#include "ScratchDB.h"
#include "SelectionCmd.h"
#include "TextLayer.h"
#include "UndoDlg.h"

#include <QCloseEvent>
#include <QFileInfo>
#include <QGraphicsPathItem>
#include <QGraphicsPixmapItem>
#include <QGraphicsSceneMouseEvent>
#include <QGraphicsSceneWheelEvent>
#include <QMessageBox>
#include <QMimeData>
#include <QPainter>
#include <QScrollArea>
#include <QStyleOptionGraphicsItem>
#include <QUndoStack>
#include <QWheelEvent>
#include <algorithm>

ChildWindow::ChildWindow(QWidget *pParent, const QSize &canvasSize)
    : QWidget(pParent)
    , m_pUi(new Ui::ChildWindow)
    , m_canvasSize(canvasSize)
{
    m_pUi->setupUi(this);
    setAttribute(Qt::WA_DeleteOnClose);
    resize(canvasSize);
    m_pUndoStack = new QUndoStack(this);
    connect(m_pUndoStack, &QUndoStack::indexChanged, this, &ChildWindow::UndoStackChanged);

    m_pScene = new GraphicsScene(this);
    m_pScrollArea = new QScrollArea(this);
    m_pScrollArea->resize(size());
    m_pView = new GraphicsView;
    m_pView->setScene(m_pScene);
    m_pView->setFrameShape(QFrame::NoFrame);
    m_pView->setGeometry(0, 0, canvasSize.width(), canvasSize.height());
    m_pView->setSceneRect(0, 0, canvasSize.width(), canvasSize.height());
    m_pView->setRenderHint(QPainter::Antialiasing);
    m_pView->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_pView->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_pView->setViewportUpdateMode(QGraphicsView::MinimalViewportUpdate);
    m_pView->setOptimizationFlag(QGraphicsView::DontSavePainterState);

    m_pScene->installEventFilter(this);
    LayerDlg *pPanel = LayerDlg::instance();
    connect(pPanel, &LayerDlg::NewLayer, this, &ChildWindow::NewLayerSlot);
    connect(pPanel, &LayerDlg::DeleteLayer, this, &ChildWindow::DeleteLayerSlot);
    connect(pPanel, &LayerDlg::LayerZValueChanged, this, &ChildWindow::UpdateLayerZOrder);

    // The scroll area centres the view while it is smaller than the window
    // and scrolls it when the zoomed canvas is larger.
    m_pScrollArea->setWidget(m_pView);
    m_pScrollArea->setAlignment(Qt::AlignCenter);
    m_pScrollArea->setFrameShape(QFrame::NoFrame);
    // Scroll bars that belong on the dark canvas background.
    m_pScrollArea->setStyleSheet(QStringLiteral(
        "QScrollBar { background: rgb(35, 35, 35); border: none; }"
        "QScrollBar:horizontal { height: 12px; } QScrollBar:vertical { width: 12px; }"
        "QScrollBar::handle { background: rgb(95, 95, 110); border-radius: 4px; margin: 2px; }"
        "QScrollBar::handle:hover { background: rgb(130, 130, 170); }"
        "QScrollBar::handle:horizontal { min-width: 24px; } QScrollBar::handle:vertical { min-height: 24px; }"
        "QScrollBar::add-line, QScrollBar::sub-line { width: 0px; height: 0px; }"
        "QScrollBar::add-page, QScrollBar::sub-page { background: none; }"));
    m_pUi->gridLayout->addWidget(m_pScrollArea, 0, 0);

    m_pOverlayScene = new QGraphicsScene(this);
    m_pOverlayScene->setBackgroundBrush(Qt::transparent);
    m_pOverlayScene->setForegroundBrush(Qt::transparent);
    m_pOverlayView = new GraphicsView(m_pScrollArea);
    m_pOverlayView->setScene(m_pOverlayScene);
    m_pOverlayView->setRenderHint(QPainter::Antialiasing);
    m_pOverlayView->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_pOverlayView->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_pOverlayView->setBackgroundBrush(Qt::transparent);
    m_pOverlayView->setStyleSheet(QStringLiteral("background-color: rgba(0, 0, 0, 0);"));
    m_pOverlayView->raise();
    m_pOverlayView->hide();

    m_pOutlineA = new QGraphicsPathItem;
    m_pOutlineA->setZValue(5000);
    QPen antsPen(Qt::black);
    antsPen.setDashPattern({4, 4});
    m_pOutlineA->setPen(antsPen);
    m_pOutlineB = new QGraphicsPathItem;
    m_pOutlineB->setZValue(4999);
    m_pOutlineB->setPen(QPen(Qt::white));
    m_pMaskOverlay = new QGraphicsPixmapItem;
    m_pMaskOverlay->setZValue(4998);
    connect(&m_antsTimer, &QTimer::timeout, this, &ChildWindow::MarchingAntsTimer);
    m_antsTimer.start(500);

    if (MainWindow *pMain = MainWindow::existing())
        m_pProgramCache = &pMain->programCache();
}

ChildWindow::~ChildWindow()
{
    // Commands first: they release their snapshots and refer to layers.
    delete m_pUndoStack;
    m_pUndoStack = nullptr;
    delete m_pStrokePainter;
    ScratchDB *pStore = ScratchDB::instance();
    // No panel row may outlive its layer, however the window goes away.
    for (Layer *pLayer : std::as_const(m_layers))
        LayerDlg::instance()->RemoveLayer(pLayer);
    for (Layer *pLayer : std::as_const(m_layers)) {
        if (pLayer->kind() == Layer::Raster)
            pStore->ForgetTarget(static_cast<PixmapLayer *>(pLayer));
        delete pLayer;
    }
    m_layers.clear();
    for (QGraphicsItem *pItem : {static_cast<QGraphicsItem *>(m_pOutlineA),
                                 static_cast<QGraphicsItem *>(m_pOutlineB),
                                 static_cast<QGraphicsItem *>(m_pMaskOverlay)}) {
        if (pItem->scene())
            pItem->scene()->removeItem(pItem);
        delete pItem;
    }
    qDeleteAll(m_paths);
    delete m_pUi;
}

bool ChildWindow::isCurrentDocument() const
{
    MainWindow *pMain = MainWindow::existing();
    return !pMain || pMain->currentDocument() == this;
}

Layer *ChildWindow::CreateLayer(int iKind)
{
    Layer *pLayer = nullptr;
    if (iKind == Layer::Raster) {
        auto *pRaster = new PixmapLayer(m_pScene, m_canvasSize.width(), m_canvasSize.height());
        pRaster->setWindow(this);
        pRaster->setCurrentSnapshotId(ScratchDB::instance()->AddItem(pRaster));
        pLayer = pRaster;
    } else {
        auto *pText = new TextLayer(m_pScene);
        pText->setWindow(this);
        pLayer = pText;
    }
    pLayer->setName(QStringLiteral("New Layer"));
    pLayer->setZValue(m_layers.size());
    m_layers.append(pLayer);
    LayerDlg::instance()->AddLayer(pLayer);
    return pLayer;
}

QList<Layer *> ChildWindow::GetLayers(bool bExcludeDeleted) const
{
    if (!bExcludeDeleted)
        return m_layers;
    QList<Layer *> result;
    for (Layer *pLayer : m_layers)
        if (!pLayer->isDeleted())
            result.append(pLayer);
    return result;
}

int ChildWindow::CountLayers() const
{
    return int(std::count_if(m_layers.begin(), m_layers.end(),
                             [](Layer *p) { return !p->isDeleted(); }));
}

void ChildWindow::RefreshLayerPanel()
{
    LayerDlg *pPanel = LayerDlg::instance();
    pPanel->Clear();
    for (Layer *pLayer : std::as_const(m_layers))
        if (!pLayer->isDeleted())
            pPanel->AddLayer(pLayer);
    for (Path *pPath : std::as_const(m_paths))
        pPanel->AddPath(pPath);
}

void ChildWindow::Activate()
{
    RefreshLayerPanel();
    UndoDlg::instance()->setStack(m_pUndoStack);
    Q_EMIT ZoomTextChanged(ZoomText());
    if (MainWindow *pMain = MainWindow::existing())
        setCursor(pMain->toolCursor());
}

void ChildWindow::NewLayerSlot()
{
    if (isCurrentDocument())
        m_pUndoStack->push(new CreateLayerCmd(this, Layer::Raster));
}

void ChildWindow::DeleteLayerSlot(Layer *)
{
    // Layers are deleted through DeleteLayerCmd, never directly.
}

void ChildWindow::UpdateLayerZOrder()
{
    if (!isCurrentDocument())
        return;
    std::stable_sort(m_layers.begin(), m_layers.end(),
                     [](Layer *a, Layer *b) { return a->zValue() < b->zValue(); });
}

void ChildWindow::UndoStackChanged(int)
{
    setWindowModified(true);
}

void ChildWindow::SetFileName(const QString &path)
{
    m_fileName = path;
    setWindowTitle(path + QStringLiteral("[*]"));
    setWindowModified(false);
}

void ChildWindow::SetCanvasSize(const QSize &size)
{
    m_canvasSize = size;
    m_pView->resize(int(size.width() * m_dZoom), int(size.height() * m_dZoom));
    m_pView->setSceneRect(0, 0, size.width(), size.height());
    m_pScrollArea->update();
    m_pScene->update();
    Q_EMIT CanvasSizeChanged(size);
}

void ChildWindow::ScaleImage(const QSize &size)
{
    for (Layer *pLayer : std::as_const(m_layers))
        if (pLayer->kind() == Layer::Raster)
            static_cast<PixmapLayer *>(pLayer)->Scale(size);
    m_canvasSize = size;
    m_pView->resize(int(size.width() * m_dZoom), int(size.height() * m_dZoom));
    m_pView->setSceneRect(0, 0, size.width(), size.height());
    m_pScrollArea->update();
    m_pScene->update();
}

bool ChildWindow::LoadImageAsLayer(const QString &fileName)
{
    const QImage loaded = ImageFile::Read(fileName);
    if (loaded.isNull())
        return false;
    const QPixmap pixmap = QPixmap::fromImage(loaded);
    if (pixmap.width() > m_canvasSize.width() || pixmap.height() > m_canvasSize.height()) {
        QWidget *pParent = MainWindow::existing();
        if (QMessageBox::question(pParent, QStringLiteral("Resize?"),
                                  QStringLiteral("The image is larger than the current canvas. Expand the canvas to fit the image?"),
                                  QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes) {
            const QSize grown = m_canvasSize.expandedTo(pixmap.size());
            m_pUndoStack->push(new ResizeCanvasCmd(this, grown.width(), grown.height(),
                                                   m_canvasSize.width(), m_canvasSize.height(), 4));
        }
    }
    auto *pCreate = new CreateLayerCmd(this, Layer::Raster);
    m_pUndoStack->push(pCreate);
    auto *pLayer = static_cast<PixmapLayer *>(pCreate->layer());
    {
        QPainter painter(&pLayer->image());
        painter.drawPixmap(0, 0, pixmap);
    }
    pLayer->update();
    const QString name = QFileInfo(fileName).fileName();
    pLayer->setName(name);
    LayerDlg::instance()->RenameLayer(pLayer, name);
    m_pUndoStack->push(new LayerSnapshotCmd(QStringLiteral("Load: ") + name, pLayer));
    LayerDlg::instance()->UpdateLayerThumbnail(pLayer);
    return true;
}

// --- Selection -------------------------------------------------------------

void ChildWindow::SetSelection(const QRegion &region)
{
    m_selection = region;
    if (region.isEmpty()) {
        for (QGraphicsItem *pItem : {static_cast<QGraphicsItem *>(m_pMaskOverlay),
                                     static_cast<QGraphicsItem *>(m_pOutlineA),
                                     static_cast<QGraphicsItem *>(m_pOutlineB)})
            if (pItem->scene())
                pItem->scene()->removeItem(pItem);
        m_selectionPath = QPainterPath();
        m_selectionMask = QPixmap();
    } else {
        QPainterPath path;
        path.addRegion(region);
        m_selectionPath = path.simplified();
        m_pOutlineA->setPath(m_selectionPath);
        m_pOutlineB->setPath(m_selectionPath);
        m_pOutlineA->setPos(0, 0);
        m_pOutlineB->setPos(0, 0);
        if (!m_bFeather && !m_pOutlineA->scene()) {
            m_pScene->addItem(m_pOutlineB);
            m_pScene->addItem(m_pOutlineA);
        } else {
            m_pOutlineA->update();
            m_pOutlineB->update();
        }
        if (m_bFeather)
            BuildFeatheredMask();
    }
    Q_EMIT SelectionChanged();
}

void ChildWindow::SelectAll()
{
    UndoDlg::instance()->Push(new SelectionCmd(this, m_selection,
                                               QRegion(0, 0, m_canvasSize.width(), m_canvasSize.height())));
}

void ChildWindow::SelectNone()
{
    UndoDlg::instance()->Push(new SelectionCmd(this, m_selection, QRegion()));
}

void ChildWindow::SelectInverse()
{
    if (m_selection.isEmpty())
        return;
    const QRegion canvas(0, 0, m_canvasSize.width(), m_canvasSize.height());
    UndoDlg::instance()->Push(new SelectionCmd(this, m_selection, canvas.xored(m_selection)));
}

void ChildWindow::MarchingAntsTimer()
{
    m_bAntsPhase = !m_bAntsPhase;
    QPen pen(Qt::black);
    pen.setDashPattern({4, 4});
    pen.setDashOffset(m_bAntsPhase ? 4 : 0);
    m_pOutlineA->setPen(pen);
    m_pOutlineA->update();
}

void ChildWindow::SetFeather(bool bOn)
{
    m_bFeather = bOn;
    if (bOn) {
        if (m_pOutlineA->scene())
            m_pScene->removeItem(m_pOutlineA);
        if (m_pOutlineB->scene())
            m_pScene->removeItem(m_pOutlineB);
        BuildFeatheredMask();
        return;
    }
    if (m_pMaskOverlay->scene())
        m_pScene->removeItem(m_pMaskOverlay);
    if (!m_selection.isEmpty() && !m_pOutlineA->scene()) {
        m_pScene->addItem(m_pOutlineB);
        m_pScene->addItem(m_pOutlineA);
    }
}

void ChildWindow::SetFeatherRadius(int iRadius)
{
    m_iFeatherRadius = iRadius;
    if (m_bFeather)
        BuildFeatheredMask();
}

void ChildWindow::MoveSelectionOutline(const QPointF &offset)
{
    m_pOutlineA->moveBy(offset.x(), offset.y());
    m_pOutlineB->moveBy(offset.x(), offset.y());
    if (m_bFeather && !m_featheredImage.isNull()) {
        QPixmap mask(m_canvasSize);
        mask.fill(Qt::transparent);
        QPainter painter(&mask);
        painter.drawImage(m_selectionPath.boundingRect(), m_featheredImage);
        m_selectionMask = mask;
    }
}

void ChildWindow::BuildFeatheredMask()
{
    if (m_selection.isEmpty()) {
        if (m_pMaskOverlay->scene())
            m_pScene->removeItem(m_pMaskOverlay);
        m_selectionMask = QPixmap();
        return;
    }
    QImage shape(m_canvasSize, QImage::Format_ARGB32);
    shape.fill(Qt::transparent);
    {
        QPainter painter(&shape);
        painter.fillPath(m_selectionPath, Qt::black);
    }
    const QRectF pathRect = m_selectionPath.controlPointRect();
    const QRect grown = pathRect.toRect().adjusted(-m_iFeatherRadius, -m_iFeatherRadius,
                                                   m_iFeatherRadius, m_iFeatherRadius);
    m_featheredImage = FeatherImage(shape.copy(grown));

    m_selectionMask = QPixmap(m_canvasSize);
    m_selectionMask.fill(Qt::transparent);
    {
        QPainter painter(&m_selectionMask);
        painter.drawImage(pathRect, m_featheredImage);
    }
    QPixmap overlay(m_canvasSize);
    overlay.fill(QColor(255, 0, 0, 128));
    {
        QPainter painter(&overlay);
        painter.setCompositionMode(QPainter::CompositionMode_DestinationOut);
        painter.drawImage(pathRect, m_featheredImage);
    }
    m_pMaskOverlay->setPixmap(overlay);
    m_pMaskOverlay->setPos(0, 0);
    if (!m_pMaskOverlay->scene())
        m_pScene->addItem(m_pMaskOverlay);
}

QImage ChildWindow::FeatherImage(const QImage &source)
{
    // The kernels are built once per window, on first use.
    if (m_pProgramCache && !m_pFeather)
        m_pFeather = std::make_unique<Feather>(*m_pProgramCache);
    if (m_pFeather && m_pFeather->isValid()) {
        const QImage result = m_pFeather->apply(source, m_iFeatherRadius);
        if (!result.isNull())
            return result;
    }
    return Feather::reference(source, m_iFeatherRadius);
}

// --- Zoom --------------------------------------------------------------------

QString ChildWindow::ZoomText() const
{
    return QString::number(m_dZoom * 100, 'g', 6) + QLatin1Char('%');
}

void ChildWindow::ApplyZoom(double dFactor)
{
    m_dZoom = dFactor;
    m_viewTransform = QTransform::fromScale(dFactor, dFactor);
    m_pView->setInteractive(false);
    m_pView->setTransform(m_viewTransform);
    m_pView->setInteractive(true);
    m_pView->resize(int(m_canvasSize.width() * dFactor), int(m_canvasSize.height() * dFactor));
    Q_EMIT ZoomTextChanged(ZoomText());
    if (MainWindow *pMain = MainWindow::existing())
        setCursor(pMain->toolCursor());
    Q_EMIT ZoomChanged();
}

void ChildWindow::SetZoom(double dPercent)
{
    ApplyZoom(dPercent / 100.0);
}

void ChildWindow::ZoomBy(double dPoints)
{
    const double factor = m_dZoom + dPoints / 100.0;
    if (factor <= 0)
        return;
    ApplyZoom(factor);
}

// --- Painting protocol ---------------------------------------------------------

PixmapLayer *ChildWindow::CurrentRasterLayer() const
{
    Layer *pLayer = LayerDlg::instance()->CurrentLayer();
    if (!pLayer || pLayer->kind() != Layer::Raster || pLayer->window() != this)
        return nullptr;
    return static_cast<PixmapLayer *>(pLayer);
}

void ChildWindow::BeginPaint(bool bAccumulate, PixmapLayer *pLayer)
{
    m_bAccumulate = bAccumulate;
    m_pPaintLayer = pLayer ? pLayer : CurrentRasterLayer();
    if (!m_pPaintLayer)
        return;
    // A restore still on its way from disk must land before the edit starts.
    ScratchDB::instance()->WaitForPending(m_pPaintLayer);
    const QPointF position = m_pPaintLayer->pos();
    if (position == QPointF(0, 0)) {
        m_baseImage = m_pPaintLayer->image();
    } else {
        // Canvas-sized, transparent where the layer does not reach: a plain
        // copy() would clip the rectangle and lose the offset.
        m_baseImage = QPixmap(m_canvasSize);
        m_baseImage.fill(Qt::transparent);
        QPainter painter(&m_baseImage);
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        painter.drawPixmap(QPoint(int(position.x()), int(position.y())), m_pPaintLayer->image());
    }
    if (m_strokeBuffer.size() != m_baseImage.size())
        m_strokeBuffer = QPixmap(m_baseImage.size());
    m_strokeBuffer.fill(Qt::transparent);
    if (bAccumulate) {
        if (m_accumBuffer.size() != m_baseImage.size())
            m_accumBuffer = QPixmap(m_baseImage.size());
        m_accumBuffer.fill(Qt::transparent);
    }
}

QPainter *ChildWindow::BeginStroke()
{
    if (!m_bAccumulate)
        m_strokeBuffer.fill(Qt::transparent);
    delete m_pStrokePainter;
    m_pStrokePainter = new QPainter(&m_strokeBuffer);
    return m_pStrokePainter;
}

void ChildWindow::CommitStroke(const QRect &requested)
{
    delete m_pStrokePainter;
    m_pStrokePainter = nullptr;
    if (!m_pPaintLayer)
        return;
    const QRect area = requested.isEmpty() ? m_baseImage.rect() : requested;
    const QPointF position = m_pPaintLayer->pos();
    QPixmap &target = m_pPaintLayer->image();
    if (!m_bFeather || m_selectionMask.isNull()) {
        QPainter painter(&target);
        painter.translate(-position);
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        painter.drawPixmap(area.topLeft(), m_baseImage, area);
        painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
        if (!m_selection.isEmpty())
            painter.setClipRegion(m_selection);
        painter.drawPixmap(area.topLeft(), m_strokeBuffer, area);
    } else {
        QPixmap soft(area.size());
        soft.fill(Qt::transparent);
        {
            QPainter painter(&soft);
            painter.drawPixmap(QPoint(0, 0), m_strokeBuffer, area);
            painter.setCompositionMode(QPainter::CompositionMode_DestinationIn);
            painter.drawPixmap(QPoint(0, 0), m_selectionMask, area);
        }
        QPixmap &over = m_bAccumulate ? m_accumBuffer : m_strokeBuffer;
        {
            QPainter painter(&over);
            painter.setCompositionMode(QPainter::CompositionMode_Source);
            painter.drawPixmap(area.topLeft(), soft);
        }
        QPainter painter(&target);
        painter.translate(-position);
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        painter.drawPixmap(area.topLeft(), m_baseImage, area);
        painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
        painter.drawPixmap(area.topLeft(), over, area);
    }
    m_pPaintLayer->update(QRectF(area).translated(-position));
}

void ChildWindow::EndPaint()
{
    if (m_pPaintLayer)
        LayerDlg::instance()->UpdateLayerThumbnail(m_pPaintLayer);
}

void ChildWindow::RenderTo(QPainter *pPainter)
{
    QList<Layer *> sorted = m_layers;
    std::stable_sort(sorted.begin(), sorted.end(),
                     [](Layer *a, Layer *b) { return a->zValue() < b->zValue(); });
    for (Layer *pLayer : std::as_const(sorted)) {
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

QImage ChildWindow::Flattened()
{
    QImage image(m_canvasSize, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    RenderTo(&painter);
    return image;
}

// --- Events ----------------------------------------------------------------------

bool ChildWindow::eventFilter(QObject *pObject, QEvent *pEvent)
{
    if (pObject != m_pScene)
        return QWidget::eventFilter(pObject, pEvent);
    switch (pEvent->type()) {
    case QEvent::GraphicsSceneMouseMove: {
        auto *pMouse = static_cast<QGraphicsSceneMouseEvent *>(pEvent);
        Q_EMIT MousePosUpdate(int(pMouse->scenePos().x()), int(pMouse->scenePos().y()), this);
        return false;
    }
    case QEvent::GraphicsSceneMousePress: {
        auto *pMouse = static_cast<QGraphicsSceneMouseEvent *>(pEvent);
        Q_EMIT MousePress(pMouse, pMouse->scenePos().toPoint(), this);
        return false;
    }
    case QEvent::GraphicsSceneMouseRelease: {
        auto *pMouse = static_cast<QGraphicsSceneMouseEvent *>(pEvent);
        Q_EMIT MouseRelease(pMouse, pMouse->scenePos().toPoint(), this);
        return false;
    }
    case QEvent::GraphicsSceneWheel:
        Q_EMIT MouseWheel(static_cast<QGraphicsSceneWheelEvent *>(pEvent)->delta(), this);
        return true;
    default:
        return QWidget::eventFilter(pObject, pEvent);
    }
}

void ChildWindow::keyPressEvent(QKeyEvent *pEvent)
{
    Q_EMIT KeyPress(pEvent);
}

void ChildWindow::keyReleaseEvent(QKeyEvent *pEvent)
{
    Q_EMIT KeyRelease(pEvent);
}

void ChildWindow::wheelEvent(QWheelEvent *pEvent)
{
    Q_EMIT MouseWheel(pEvent->angleDelta().y(), this);
}

void ChildWindow::closeEvent(QCloseEvent *pEvent)
{
    MainWindow *pMain = MainWindow::existing();
    if (isWindowModified()) {
        const auto answer = QMessageBox::question(
            nullptr, QStringLiteral("Save?"),
            windowTitle() + QStringLiteral(" has been modified. Want to save it?"),
            QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        if (answer == QMessageBox::Cancel) {
            pEvent->ignore();
            return;
        }
        if (answer == QMessageBox::Yes) {
            if (pMain)
                pMain->SaveDocument(this);
            if (isWindowModified()) {
                pEvent->ignore();
                return;
            }
        }
    }
    if (isCurrentDocument()) {
        LayerDlg::instance()->Clear();
        if (pMain)
            pMain->DocumentClosing(this);
    }
    pEvent->accept();
}

void ChildWindow::dragEnterEvent(QDragEnterEvent *pEvent)
{
    if (pEvent->mimeData()->hasUrls())
        pEvent->acceptProposedAction();
}

void ChildWindow::dropEvent(QDropEvent *pEvent)
{
    const QList<QUrl> urls = pEvent->mimeData()->urls();
    for (const QUrl &url : urls)
        LoadImageAsLayer(url.toLocalFile());
}
