#include "MoveTool.h"

#include "ChildWindow.h"
#include "GraphicsScene.h"
#include "GraphicsView.h"
#include "HandleGraphicsItem.h"
#include "MoveGeometry.h"
#include "MoveTextCmd.h"
#include "PixmapLayer.h"
#include "ScaleCmd.h"
#include "ScratchDB.h"

#include <QGraphicsPixmapItem>
#include <QGraphicsSceneMouseEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QUndoStack>

namespace {

void takeOut(QGraphicsItem *pItem)
{
    if (pItem->scene())
        pItem->scene()->removeItem(pItem);
}

} // namespace

MoveTool::MoveTool(ToolContext &context, QObject *pParent)
    : BaseTool(context, pParent)
    , m_overlay(this)
    , m_pPictureItem(new QGraphicsPixmapItem)
{
    for (int i = 0; i < TransformFrame::kHandleCount; ++i) {
        HandleGraphicsItem *pHandle = m_frame.Handle(i);
        connect(pHandle, &HandleGraphicsItem::Moved, this, &MoveTool::HandleMoved);
        connect(pHandle, &HandleGraphicsItem::MouseDown, this, &MoveTool::HandleMouseDown);
        connect(pHandle, &HandleGraphicsItem::MouseUp, this, &MoveTool::HandleMouseUp);
    }
    m_pPictureItem->setZValue(5000);
    connect(&m_overlay, &CanvasOverlay::Changed, this, &MoveTool::LayOut);
    connect(&m_options, &MoveOptions::RotationChanged, this, &MoveTool::SetRotation);
    connect(&m_options, &MoveOptions::Accepted, this, &MoveTool::AcceptButtonClicked);
    connect(&m_options, &MoveOptions::Cancelled, this, &MoveTool::CancelButtonClicked);
}

MoveTool::~MoveTool()
{
    takeOut(m_pPictureItem);
    delete m_pPictureItem;
}

Document *MoveTool::document() const
{
    return m_pWindow ? m_pWindow->document() : nullptr;
}

// --- Activation -----------------------------------------------------------------------

void MoveTool::Activate()
{
    m_options.Create([this](QWidget *pWidget) { AddOption(pWidget); });
    if (ChildWindow *pWindow = CurrentWindow()) {
        m_pWindow = pWindow;
        m_overlay.Attach(pWindow);
        ConnectDocument(pWindow);
        m_frame.AddTo(m_overlay.scene());
        Frame();
    }
    SetMode(Outside);
    BeginActivation();
}

void MoveTool::ConnectDocument(ChildWindow *pWindow)
{
    GraphicsView *pOverlay = pWindow->overlayView();
    Document *pDocument = pWindow->document();
    pOverlay->installEventFilter(this);
    m_connections = {
        connect(pOverlay, &GraphicsView::MouseDown, this, &MoveTool::MouseDown),
        connect(pOverlay, &GraphicsView::MouseMove, this, &MoveTool::MouseMove),
        connect(pOverlay, &GraphicsView::MouseUp, this, &MoveTool::MouseUp),
        connect(pDocument, &Document::SelectionChanged, this, &MoveTool::SelectionChanged),
        connect(pWindow, &ChildWindow::ZoomChanged, this, &MoveTool::ZoomChanged),
        connect(pDocument, &Document::CurrentLayerChanged, this, &MoveTool::LayerSelectionChanged),
        // Whatever else changes the document while a picture floats ends the float.
        connect(pDocument, &Document::LayerPixelsChanged, this,
                [this](Layer *pLayer) {
                    if (!m_bBusy && IsPending() && pLayer == m_float.Layer()) {
                        Abandon();
                        Frame();
                    }
                }),
        connect(pDocument->undoStack(), &QUndoStack::indexChanged, this,
                [this] {
                    if (!m_bBusy && IsPending()) {
                        Abandon();
                        Frame();
                    }
                }),
        connect(pDocument, &Document::CanvasResized, this, [this] {
            if (!m_bBusy && IsPending())
                Abandon();
            Frame();
        })};
}

void MoveTool::Deactivate()
{
    if (m_iMode == Dragging)
        MouseUp(nullptr);
    CancelButtonClicked();
    for (const QMetaObject::Connection &connection : std::as_const(m_connections))
        disconnect(connection);
    m_connections.clear();
    if (m_pWindow)
        m_pWindow->overlayView()->removeEventFilter(this);
    m_overlay.Detach();
    m_frame.Remove();
    takeOut(m_pPictureItem);
    m_pWindow = nullptr;
    m_box = QRect();
    m_iMode = Outside;
    EndActivation();
}

QCursor MoveTool::GetCursor() const
{
    if (m_iMode == OverHandle)
        return QCursor(Qt::OpenHandCursor);
    if (m_iMode == InsideBox)
        return QCursor(Qt::SizeAllCursor);
    return QCursor(Qt::ArrowCursor);
}

void MoveTool::SetMode(int iMode)
{
    if (iMode == m_iMode)
        return;
    m_iMode = iMode;
    RefreshCursor();
}

// --- The frame -------------------------------------------------------------------------

void MoveTool::Frame()
{
    if (IsPending())
        return;
    Document *pDocument = document();
    m_box = pDocument ? pDocument->Selection().boundingRect() : QRect();
    m_dRotation = 0;
    LayOut();
}

void MoveTool::LayOut()
{
    Document *pDocument = document();
    m_frame.LayOut(m_overlay, m_box, m_dRotation, pDocument && (IsPending() || pDocument->CurrentRasterLayer()));
    if (IsPending()) {
        const QTransform placement = FloatingPicture::Placement(m_float.SourceRect().size(), m_box, m_dRotation);
        m_pPictureItem->setTransform(placement);
        m_pPictureItem->setTransformationMode(placement.type() <= QTransform::TxTranslate ? Qt::FastTransformation
                                                                                          : Qt::SmoothTransformation);
    }
}

// --- Lifting, committing, cancelling ----------------------------------------------------------

bool MoveTool::Lift()
{
    Document *pDocument = document();
    PixmapLayer *pLayer = pDocument ? pDocument->CurrentRasterLayer() : nullptr;
    if (!pLayer)
        return false;
    pDocument->store().WaitForPending(pLayer);
    QRegion region = pDocument->Selection();
    // Without a selection the whole layer floats.
    if (region.isEmpty())
        region = QRegion(pLayer->image().rect().translated(pLayer->pos().toPoint()));
    const QImage *pMask = pDocument->FeatherEnabled() && !pDocument->SelectionMask().isNull()
                              ? &pDocument->SelectionMask()
                              : nullptr;
    m_bBusy = true;
    const bool bLifted = m_float.Lift(pLayer, region, pMask);
    m_bBusy = false;
    if (!bLifted)
        return false;
    m_box = m_startRect = m_float.SourceRect();
    m_dAspect = double(m_box.width()) / m_box.height();
    m_pPictureItem->setPixmap(QPixmap::fromImage(m_float.Picture()));
    if (m_pPictureItem->scene() != m_pWindow->scene())
        m_pWindow->scene()->addItem(m_pPictureItem);
    m_options.SetPending(true);
    LayOut();
    return true;
}

void MoveTool::EndPending()
{
    takeOut(m_pPictureItem);
    m_pPictureItem->setPixmap(QPixmap());
    m_pPictureItem->setTransform(QTransform());
    m_options.ShowRotation(0);
    m_dRotation = 0;
    m_options.SetPending(false);
}

QString MoveTool::StepText() const
{
    return m_float.IsShift(m_box, m_dRotation) ? QStringLiteral("Move")
           : m_box.size() == m_float.SourceRect().size() ? QStringLiteral("Rotate")
                                                         : QStringLiteral("Scale");
}

QRegion MoveTool::LandedSelection(const QRegion &before) const
{
    // The selection follows the pixels to where they landed; a whole layer
    // moved without one stays without one, so the next drag takes it whole.
    return before.isEmpty() ? QRegion()
                            : m_float.PlacedRegion(m_box, m_dRotation) & QRect(QPoint(0, 0), document()->canvasSize());
}

bool MoveTool::PendingLanding(Landing *pLanding) const
{
    Document *pDocument = document();
    // Lifted and not moved: finishing it records nothing.
    if (!IsPending() || !pDocument || (m_box == m_startRect && m_dRotation == 0))
        return false;
    pLanding->pDocument = pDocument;
    pLanding->pLayer = m_float.Layer();
    pLanding->text = StepText();
    pLanding->selection = LandedSelection(pDocument->Selection());
    pLanding->land = m_float.Landing(m_box, m_dRotation);
    return true;
}

void MoveTool::AcceptButtonClicked()
{
    Document *pDocument = document();
    if (!IsPending() || !pDocument)
        return;
    if (m_box == m_startRect && m_dRotation == 0) {
        // Lifted and put down where it was: nothing to record.
        CancelButtonClicked();
        return;
    }
    PixmapLayer *pLayer = m_float.Layer();
    const QRegion before = pDocument->Selection();
    const QRegion after = LandedSelection(before);
    const QString text = StepText();
    m_bBusy = true;
    m_float.Commit(m_box, m_dRotation);
    EndPending();
    pDocument->SetSelection(after);
    pDocument->undoStack()->push(new ScaleCmd(text, pLayer, after, before));
    m_bBusy = false;
    Frame();
}

void MoveTool::CancelButtonClicked()
{
    if (!IsPending())
        return;
    m_bBusy = true;
    m_float.Restore();
    m_bBusy = false;
    EndPending();
    Frame();
}

void MoveTool::Abandon()
{
    m_bBusy = true;
    if (m_float.HoleIntact())
        m_float.Restore();
    else
        m_float.Drop();
    m_bBusy = false;
    EndPending();
}

// --- Pointer ----------------------------------------------------------------------------------

void MoveTool::MouseDown(QMouseEvent *pEvent)
{
    Document *pDocument = document();
    Layer *pLayer = pDocument ? pDocument->CurrentLayer() : nullptr;
    if (!pLayer || pEvent->button() != Qt::LeftButton)
        return;
    m_press = m_last = pEvent->position().toPoint();
    // A handle takes its own press.
    if (m_frame.HandleAt(pEvent->position()) >= 0)
        return;
    m_layerPosAtPress = pLayer->pos();
    if (pLayer->kind() == Layer::Raster) {
        if (!IsPending() && !Lift())
            return;
        m_boxAtPress = m_box;
    }
    SetMode(Dragging);
}

void MoveTool::MouseMove(QMouseEvent *pEvent)
{
    Document *pDocument = document();
    if (!pDocument)
        return;
    const QPoint position = pEvent->position().toPoint();
    if (m_iMode == Dragging) {
        Layer *pLayer = pDocument->CurrentLayer();
        if (!pLayer)
            return;
        const QPointF d = QPointF(position - m_press) / m_overlay.Zoom();
        const QPoint step(qRound(d.x()), qRound(d.y()));
        if (pLayer->kind() == Layer::Text) {
            pLayer->setPos(m_layerPosAtPress + QPointF(step));
        } else if (IsPending()) {
            m_box = m_boxAtPress.translated(step);
            LayOut();
        }
        m_last = position;
        return;
    }
    if (m_iMode == Transforming)
        return;
    if (m_frame.HandleAt(pEvent->position()) >= 0) {
        SetMode(OverHandle);
        return;
    }
    SetMode(TransformFrame::Contains(m_overlay, m_box, m_dRotation, pEvent->position()) ? InsideBox : Outside);
}

void MoveTool::MouseUp(QMouseEvent *pEvent)
{
    if (m_iMode != Dragging || (pEvent && (pEvent->buttons() & Qt::LeftButton)))
        return;
    SetMode(Outside);
    Document *pDocument = document();
    Layer *pLayer = pDocument ? pDocument->CurrentLayer() : nullptr;
    if (pLayer && pLayer->kind() == Layer::Text) {
        const QPoint from = m_layerPosAtPress.toPoint();
        const QPoint to = pLayer->pos().toPoint();
        if (from != to)
            MoveText(pLayer, from, to);
    }
    LayOut();
}

void MoveTool::MoveText(Layer *pLayer, const QPoint &from, const QPoint &to)
{
    m_bBusy = true;
    document()->undoStack()->push(new MoveTextCmd(pLayer, from, to));
    m_bBusy = false;
}

// --- Handles and rotation ------------------------------------------------------------------------

void MoveTool::HandleMouseDown(HandleGraphicsItem *pHandle, QGraphicsSceneMouseEvent *)
{
    Document *pDocument = document();
    if (!pDocument || !pDocument->CurrentRasterLayer())
        return;
    SetMode(Transforming);
    if (!IsPending() && !Lift()) {
        SetMode(Outside);
        return;
    }
    m_boxAtPress = m_box;
    m_handlePress = m_overlay.ToCanvas(pHandle->Position());
    LayOut();
}

void MoveTool::HandleMoved(HandleGraphicsItem *pHandle, QGraphicsSceneMouseEvent *pEvent)
{
    if (!IsPending())
        return;
    const int id = pHandle->m_iIdentifier;
    if (id == TransformFrame::kRotationHandle) {
        const double degrees = MoveGeometry::RotationAt(m_overlay.FromCanvas(QRectF(m_box).center()), pEvent->scenePos());
        m_options.ShowRotation(degrees);
        SetRotation(degrees);
        return;
    }
    // Ctrl keeps the proportions of the lifted picture.
    const bool bCtrl = pEvent && (pEvent->modifiers() & Qt::ControlModifier);
    m_box = MoveGeometry::HandleBox(m_box, id, m_overlay.ToCanvas(pHandle->Position()), m_handlePress, m_dAspect, bCtrl);
    LayOut();
}

void MoveTool::HandleMouseUp(HandleGraphicsItem *, QGraphicsSceneMouseEvent *)
{
    SetMode(Outside);
    LayOut();
}

void MoveTool::SetRotation(double dDegrees)
{
    Document *pDocument = document();
    if (!pDocument || !pDocument->CurrentRasterLayer())
        return;
    if (!IsPending() && !Lift())
        return;
    m_dRotation = dDegrees;
    LayOut();
}

void MoveTool::FinishGesture()
{
    if (m_iMode == Dragging)
        MouseUp(nullptr);
    // The floating picture lands as one step.
    if (IsPending())
        AcceptButtonClicked();
}

// --- Keys ---------------------------------------------------------------------------------------------

bool MoveTool::eventFilter(QObject *pObject, QEvent *pEvent)
{
    // Keys typed on the overlay stop here, so they neither scroll the
    // document nor reach the tool a second time through the window.
    if (!m_pWindow || pObject != m_pWindow->overlayView())
        return BaseTool::eventFilter(pObject, pEvent);
    if (pEvent->type() == QEvent::KeyPress) {
        auto *pKey = static_cast<QKeyEvent *>(pEvent);
        switch (pKey->key()) {
        case Qt::Key_Return: case Qt::Key_Enter: case Qt::Key_Escape:
        case Qt::Key_Up: case Qt::Key_Down: case Qt::Key_Left: case Qt::Key_Right:
            KeyPress(pKey);
            return true;
        default:
            break;
        }
    }
    return BaseTool::eventFilter(pObject, pEvent);
}

void MoveTool::KeyPress(QKeyEvent *pEvent)
{
    switch (pEvent->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        AcceptButtonClicked();
        break;
    case Qt::Key_Escape:
        CancelButtonClicked();
        break;
    case Qt::Key_Up:
        Nudge(QPoint(0, -1));
        break;
    case Qt::Key_Down:
        Nudge(QPoint(0, 1));
        break;
    case Qt::Key_Left:
        Nudge(QPoint(-1, 0));
        break;
    case Qt::Key_Right:
        Nudge(QPoint(1, 0));
        break;
    default:
        return;
    }
    pEvent->accept();
}

void MoveTool::Nudge(const QPoint &step)
{
    Document *pDocument = document();
    Layer *pLayer = pDocument ? pDocument->CurrentLayer() : nullptr;
    if (!pLayer || m_iMode == Dragging)
        return;
    if (pLayer->kind() == Layer::Text) {
        const QPoint from = pLayer->pos().toPoint();
        MoveText(pLayer, from, from + step);
        return;
    }
    if (!IsPending() && !Lift())
        return;
    m_box.translate(step);
    LayOut();
}

// --- The document -----------------------------------------------------------------------------------

void MoveTool::SelectionChanged()
{
    if (m_bBusy)
        return;
    if (IsPending())
        Abandon();
    Frame();
}

void MoveTool::ZoomChanged()
{
    LayOut();
}

void MoveTool::LayerSelectionChanged(Layer *)
{
    if (m_bBusy)
        return;
    if (IsPending())
        Abandon();
    Frame();
}
