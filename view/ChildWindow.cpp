#include "ChildWindow.h"

#include "SelectionOutline.h"
#include "ui_ChildWindow.h"

#include "CreateLayerCmd.h"
#include "GraphicsScene.h"
#include "GraphicsView.h"
#include "ImageFile.h"
#include "LayerSnapshotCmd.h"
#include "PixelOps.h"
#include "PixmapLayer.h"
#include "ResizeCanvasCmd.h"
#include "SelectionCmd.h"
#include "TextEditCmd.h"
#include "TextLayer.h"

#include <QCloseEvent>
#include <QFileInfo>
#include <QTextDocument>
#include <QGraphicsPathItem>
#include <QGraphicsPixmapItem>
#include <QGraphicsSceneMouseEvent>
#include <QMessageBox>
#include <QMimeData>
#include <QPainter>
#include <QScrollArea>
#include <QScrollBar>
#include <QUndoStack>
#include <QWheelEvent>

#include <cmath>

ChildWindow::ChildWindow(QWidget *pParent, const QSize &canvasSize, const DocumentEnv &env)
    : ChildWindow(pParent, new Document(canvasSize, env))
{
}

ChildWindow::ChildWindow(QWidget *pParent, Document *pDocument)
    : QWidget(pParent)
    , m_pUi(new Ui::ChildWindow)
    , m_pDoc(pDocument)
{
    m_pDoc->setParent(this);
    m_pUi->setupUi(this);
    setAttribute(Qt::WA_DeleteOnClose);
    resize(m_pDoc->canvasSize());
    BuildView();

    for (Layer *pLayer : m_pDoc->GetLayers(true))
        ShowLayer(pLayer);
    connect(m_pDoc, &Document::LayerAdded, this, &ChildWindow::ShowLayer);
    connect(m_pDoc, &Document::LayerRemoved, this, &ChildWindow::HideLayer);
    connect(m_pDoc, &Document::CurrentLayerChanged, this, &ChildWindow::FollowCurrentLayer);
    connect(m_pDoc, &Document::SelectionChanged, this, [this] {
        ShowSelection();
        Q_EMIT SelectionChanged();
    });
    connect(m_pDoc, &Document::CanvasResized, this, &ChildWindow::FollowCanvasSize);
    connect(m_pDoc, &Document::FileNameChanged, this, &ChildWindow::FollowFileName);
    connect(m_pDoc, &Document::ModifiedChanged, this, &QWidget::setWindowModified);
    connect(m_pDoc->undoStack(), &QUndoStack::indexChanged, this, &ChildWindow::UndoStackChanged);
    // The keys were typed into this window: it records the typing as a step.
    connect(m_pDoc, &Document::TypingFinished, this, [this](TextLayer *pLayer, const TextTyping &typing) {
        // Editing that left the text as it was records nothing.
        if (typing.before && typing.after && typing.before->toHtml() == typing.after->toHtml())
            return;
        m_pDoc->undoStack()->push(new TextEditCmd(pLayer, typing));
    });
    FollowCurrentLayer(m_pDoc->CurrentLayer());
    ShowSelection();
    FollowFileName();
}

ChildWindow::~ChildWindow()
{
    // The scene would delete the layers' items with itself: they belong to
    // the document, so they leave the scene first.
    for (QGraphicsItem *pItem : m_pScene->items())
        m_pScene->removeItem(pItem);
    delete m_pOutline;
    delete m_pMaskOverlay;
    delete m_pDoc;
    m_pDoc = nullptr;
    delete m_pUi;
}

void ChildWindow::BuildView()
{
    const QSize canvas = m_pDoc->canvasSize();
    m_pScene = new GraphicsScene(this);
    // The canvas, not the items' extent: a raster layer's bounding rectangle
    // stops one pixel short, and moved text reaches past the edge.
    m_pScene->setSceneRect(0, 0, canvas.width(), canvas.height());
    m_pScrollArea = new QScrollArea(this);
    m_pScrollArea->resize(size());
    m_pView = new GraphicsView;
    m_pView->setScene(m_pScene);
    m_pView->setFrameShape(QFrame::NoFrame);
    m_pView->setGeometry(0, 0, canvas.width(), canvas.height());
    m_pView->setSceneRect(0, 0, canvas.width(), canvas.height());
    m_pView->setRenderHint(QPainter::Antialiasing);
    m_pView->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_pView->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_pView->setViewportUpdateMode(QGraphicsView::MinimalViewportUpdate);
    m_pView->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_pView->setOptimizationFlag(QGraphicsView::DontSavePainterState);
    m_pScene->installEventFilter(this);
    connect(m_pView, &GraphicsView::ControlWheel, this, [this](QWheelEvent *pEvent) {
        WheelAt(pEvent->angleDelta().y(), pEvent->modifiers(),
                m_pView->viewport()->mapTo(m_pScrollArea->viewport(), pEvent->position()));
    });

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

    // Black dashes over white.
    m_pOutline = new SelectionOutline;
    m_pOutline->setZValue(5000);
    m_pOutline->setPen(AntsPen(false));
    m_pOutline->SetGapColor(Qt::white);
    m_pMaskOverlay = new QGraphicsPixmapItem;
    m_pMaskOverlay->setZValue(4998);
    connect(&m_antsTimer, &QTimer::timeout, this, &ChildWindow::MarchingAntsTimer);
    m_antsTimer.start(500);
}

// --- Following the document --------------------------------------------------------

void ChildWindow::ShowLayer(Layer *pLayer)
{
    if (pLayer->item()->scene() != m_pScene)
        m_pScene->addItem(pLayer->item());
}

void ChildWindow::HideLayer(Layer *pLayer)
{
    if (pLayer->item()->scene() == m_pScene)
        m_pScene->removeItem(pLayer->item());
    if (pLayer == m_pFocusLayer)
        m_pFocusLayer = nullptr;
}

void ChildWindow::FollowCurrentLayer(Layer *pLayer)
{
    // Only the current text layer takes the keyboard.
    if (m_pFocusLayer && m_pFocusLayer->kind() == Layer::Text)
        m_pFocusLayer->item()->setFlag(QGraphicsItem::ItemIsFocusable, false);
    m_pFocusLayer = pLayer;
    if (pLayer && pLayer->kind() == Layer::Text)
        pLayer->item()->setFlag(QGraphicsItem::ItemIsFocusable, true);
}

void ChildWindow::FollowCanvasSize(const QSize &size)
{
    m_pView->resize(int(std::ceil(size.width() * m_dZoom)), int(std::ceil(size.height() * m_dZoom)));
    m_pView->setSceneRect(0, 0, size.width(), size.height());
    m_pScene->setSceneRect(0, 0, size.width(), size.height());
    m_pScrollArea->update();
    m_pScene->update();
    Q_EMIT CanvasSizeChanged(size);
}

void ChildWindow::FollowFileName()
{
    // The title names the file as the Window menu does, never its folders.
    setWindowTitle(DisplayName() + QStringLiteral(" [*]"));
    setWindowModified(m_pDoc->IsModified());
}

QString ChildWindow::DisplayName() const
{
    const QString file = m_pDoc->FileName();
    return file.isEmpty() ? QStringLiteral("Untitled") : QFileInfo(file).fileName();
}

void ChildWindow::Activate()
{
    Q_EMIT ZoomTextChanged(ZoomText());
}

void ChildWindow::UndoStackChanged(int)
{
    setWindowModified(m_pDoc->IsModified());
}

// --- Importing -----------------------------------------------------------------------

bool ChildWindow::LoadImageAsLayer(const QString &fileName, QString *pError)
{
    QString error;
    const QImage loaded = ImageFile::Read(fileName, &error);
    if (loaded.isNull()) {
        if (pError)
            *pError = error;
        return false;
    }
    const QSize canvas = m_pDoc->canvasSize();
    QUndoStack *pStack = m_pDoc->undoStack();
    if ((loaded.width() > canvas.width() || loaded.height() > canvas.height())
        && QMessageBox::question(window(), QStringLiteral("Resize?"),
                                 QStringLiteral("The image is larger than the current canvas. Expand the canvas to fit the image?"),
                                 QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes) {
        const QSize grown = canvas.expandedTo(loaded.size());
        pStack->push(new ResizeCanvasCmd(m_pDoc, grown.width(), grown.height(), canvas.width(), canvas.height(), 4));
    }
    const QString name = QFileInfo(fileName).fileName();
    const QImage pixels = loaded.convertToFormat(QImage::Format_ARGB32);
    auto *pCreate = new CreateLayerCmd(m_pDoc, Layer::Raster, [&](Layer *pLayer) {
        auto *pRaster = static_cast<PixmapLayer *>(pLayer);
        PixelOps::Copy(pixels, pRaster->image(), pixels.rect());
        pRaster->update();
        pRaster->setName(name);
    });
    pStack->push(pCreate);
    pStack->push(new LayerSnapshotCmd(QStringLiteral("Load: ") + name, static_cast<PixmapLayer *>(pCreate->layer())));
    return true;
}

// --- Selection -------------------------------------------------------------------------

void ChildWindow::ShowSelection()
{
    const auto takeOut = [](QGraphicsItem *pItem) {
        if (pItem->scene())
            pItem->scene()->removeItem(pItem);
    };
    if (m_pDoc->Selection().isEmpty()) {
        takeOut(m_pMaskOverlay);
        takeOut(m_pOutline);
        return;
    }
    m_pOutline->SetRegion(m_pDoc->Selection());
    m_pOutline->setPos(0, 0);
    if (!m_pDoc->FeatherEnabled()) {
        takeOut(m_pMaskOverlay);
        if (!m_pOutline->scene())
            m_pScene->addItem(m_pOutline);
        return;
    }
    takeOut(m_pOutline);
    // Translucent red everywhere but inside the soft selection.
    QPixmap overlay(m_pDoc->canvasSize());
    overlay.fill(QColor(255, 0, 0, 128));
    {
        QPainter painter(&overlay);
        painter.setCompositionMode(QPainter::CompositionMode_DestinationOut);
        painter.drawImage(m_pDoc->SelectionPath().controlPointRect(), m_pDoc->FeatheredImage());
    }
    m_pMaskOverlay->setPixmap(overlay);
    m_pMaskOverlay->setPos(0, 0);
    if (!m_pMaskOverlay->scene())
        m_pScene->addItem(m_pMaskOverlay);
}

void ChildWindow::SelectAll()
{
    const QSize canvas = m_pDoc->canvasSize();
    m_pDoc->undoStack()->push(
        new SelectionCmd(m_pDoc, m_pDoc->Selection(), QRegion(0, 0, canvas.width(), canvas.height())));
}

void ChildWindow::SelectNone()
{
    m_pDoc->undoStack()->push(new SelectionCmd(m_pDoc, m_pDoc->Selection(), QRegion()));
}

void ChildWindow::SelectInverse()
{
    const QRegion selection = m_pDoc->Selection();
    if (selection.isEmpty())
        return;
    const QSize canvas = m_pDoc->canvasSize();
    const QRegion all(0, 0, canvas.width(), canvas.height());
    m_pDoc->undoStack()->push(new SelectionCmd(m_pDoc, selection, all.xored(selection)));
}

// Black dashes a screen pixel wide at any zoom, shifted by half a period in
// the second phase.
QPen ChildWindow::AntsPen(bool bPhase)
{
    QPen pen(Qt::black, 0);
    pen.setDashPattern({4, 4});
    pen.setDashOffset(bPhase ? 4 : 0);
    return pen;
}

void ChildWindow::MarchingAntsTimer()
{
    m_bAntsPhase = !m_bAntsPhase;
    m_pOutline->setPen(AntsPen(m_bAntsPhase));
    m_pOutline->update();
}

void ChildWindow::MoveSelectionOutline(const QPointF &offset)
{
    m_pOutline->moveBy(offset.x(), offset.y());
    m_pDoc->RedrawMaskForMovedOutline();
}

// --- Zoom --------------------------------------------------------------------------------

QString ChildWindow::ZoomText() const
{
    // Whole percents, or one decimal where the zoom has a fraction.
    const double percent = m_dZoom * 100;
    const double rounded = std::round(percent * 10) / 10;
    return QString::number(rounded, 'f', rounded == std::round(rounded) ? 0 : 1) + QLatin1Char('%');
}

void ChildWindow::ApplyZoom(double dFactor)
{
    m_dZoom = dFactor;
    m_viewTransform = QTransform::fromScale(dFactor, dFactor);
    m_pView->setInteractive(false);
    m_pView->setTransform(m_viewTransform);
    m_pView->setInteractive(true);
    const QSize canvas = m_pDoc->canvasSize();
    // Rounded up, with the scene held to the top left corner: a view a
    // fraction short would scroll or centre the scene, and the pixels under
    // the mouse would shift by that fraction.
    m_pView->resize(int(std::ceil(canvas.width() * dFactor)), int(std::ceil(canvas.height() * dFactor)));
    Q_EMIT ZoomTextChanged(ZoomText());
    Q_EMIT ZoomChanged();
}

QRect ChildWindow::ShownCanvasArea() const
{
    // The scroll area's viewport over the zoomed view, back in canvas pixels.
    const QRect onView = m_pScrollArea->viewport()->rect().translated(-m_pView->pos()).intersected(m_pView->rect());
    if (onView.isEmpty() || m_dZoom <= 0)
        return QRect();
    const QPoint from(int(std::floor(onView.left() / m_dZoom)), int(std::floor(onView.top() / m_dZoom)));
    const QPoint to(int(std::ceil((onView.right() + 1) / m_dZoom)), int(std::ceil((onView.bottom() + 1) / m_dZoom)));
    return QRect(from, to - QPoint(1, 1)).intersected(QRect(QPoint(), canvasSize()));
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
    // The canvas point under the wheel (or the middle of the window) stays
    // where it is on screen.
    QWidget *pViewport = m_pScrollArea->viewport();
    const QPointF anchor = m_wheelAnchor.value_or(QPointF(pViewport->rect().center()));
    const QPointF scenePoint = (anchor - QPointF(m_pView->pos())) / m_dZoom;
    ApplyZoom(factor);
    const QPointF shift = QPointF(m_pView->pos()) + scenePoint * factor - anchor;
    QScrollBar *pH = m_pScrollArea->horizontalScrollBar();
    QScrollBar *pV = m_pScrollArea->verticalScrollBar();
    pH->setValue(pH->value() + qRound(shift.x()));
    pV->setValue(pV->value() + qRound(shift.y()));
}

void ChildWindow::WheelAt(int iDelta, Qt::KeyboardModifiers keys, QPointF viewportPos)
{
    m_wheelAnchor = viewportPos;
    Q_EMIT MouseWheel(iDelta, keys, this);
    m_wheelAnchor.reset();
}

// --- Events -----------------------------------------------------------------------------

QPoint ChildWindow::ScenePixel(QPointF scenePos)
{
    // The pixel whose square holds the point, the same for presses, moves
    // and releases at every zoom (rounding would pick the neighbour from the
    // right or lower half of a magnified pixel).
    return QPoint(int(std::floor(scenePos.x())), int(std::floor(scenePos.y())));
}

bool ChildWindow::eventFilter(QObject *pObject, QEvent *pEvent)
{
    if (pObject != m_pScene)
        return QWidget::eventFilter(pObject, pEvent);
    switch (pEvent->type()) {
    case QEvent::GraphicsSceneMouseMove: {
        auto *pMouse = static_cast<QGraphicsSceneMouseEvent *>(pEvent);
        const QPoint pixel = ScenePixel(pMouse->scenePos());
        Q_EMIT MousePosUpdate(pixel.x(), pixel.y(), this);
        return false;
    }
    case QEvent::GraphicsSceneMousePress: {
        auto *pMouse = static_cast<QGraphicsSceneMouseEvent *>(pEvent);
        Q_EMIT MousePress(pMouse, ScenePixel(pMouse->scenePos()), this);
        return false;
    }
    case QEvent::GraphicsSceneMouseRelease: {
        auto *pMouse = static_cast<QGraphicsSceneMouseEvent *>(pEvent);
        Q_EMIT MouseRelease(pMouse, ScenePixel(pMouse->scenePos()), this);
        return false;
    }
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
    WheelAt(pEvent->angleDelta().y(), pEvent->modifiers(), m_pScrollArea->viewport()->mapFrom(this, pEvent->position()));
}

bool ChildWindow::AskToSave()
{
    if (m_bCloseAgreed || !m_pDoc->IsModified())
        return m_bCloseAgreed = true;
    const auto answer = QMessageBox::question(
        nullptr, QStringLiteral("Save?"), DisplayName() + QStringLiteral(" has been modified. Want to save it?"),
        QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    if (answer == QMessageBox::Cancel)
        return false;
    if (answer == QMessageBox::Yes) {
        Q_EMIT SaveRequested(this);
        // Saving was cancelled or failed: the work stays open.
        if (m_pDoc->IsModified())
            return false;
    }
    return m_bCloseAgreed = true;
}

void ChildWindow::closeEvent(QCloseEvent *pEvent)
{
    if (!AskToSave()) {
        pEvent->ignore();
        return;
    }
    Q_EMIT Closing(this);
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
    for (const QUrl &url : urls) {
        QString error;
        if (!LoadImageAsLayer(url.toLocalFile(), &error))
            Q_EMIT LoadFailed(url.toLocalFile(), error);
    }
}
