#include "GradientTool.h"

#include "ChildWindow.h"
#include "GraphicsScene.h"
#include "GraphicsView.h"
#include "HandleGraphicsItem.h"
#include "PaintToolSupport.h"
#include "PenOptions.h"
#include "ToolContext.h"
#include "ToolSwatches.h"

#include <QGraphicsSceneMouseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QToolButton>

#include <cmath>

GradientTool::GradientTool(ToolContext &context, QObject *pParent)
    : RubberBandTool(context, pParent)
    , m_pStartHandle(std::make_unique<HandleGraphicsItem>())
    , m_pEndHandle(std::make_unique<HandleGraphicsItem>())
{
    int identifier = 0;
    for (HandleGraphicsItem *pHandle : {m_pStartHandle.get(), m_pEndHandle.get()}) {
        pHandle->m_iIdentifier = identifier++;
        // A gradient's ends may lie beyond the canvas.
        pHandle->m_bBounded = false;
        connect(pHandle, &HandleGraphicsItem::Moved, this, &GradientTool::HandleMoved);
        connect(pHandle, &HandleGraphicsItem::MouseDown, this, &GradientTool::HandleMouseDown);
        connect(pHandle, &HandleGraphicsItem::MouseUp, this, &GradientTool::HandleMouseUp);
    }
}

GradientTool::~GradientTool()
{
    HideHandles();
}

QCursor GradientTool::GetCursor() const
{
    return QCursor(Qt::CrossCursor);
}

QColor GradientTool::StartColor() const
{
    ToolSwatches *pSwatches = context().Swatches();
    return pSwatches && m_pStartSwatch ? pSwatches->SwatchColor(m_pStartSwatch) : m_startColor;
}

QColor GradientTool::EndColor() const
{
    ToolSwatches *pSwatches = context().Swatches();
    return pSwatches && m_pEndSwatch ? pSwatches->SwatchColor(m_pEndSwatch) : m_endColor;
}

void GradientTool::Activate()
{
    DropIfOrphaned();
    BeginActivation();
    AddOption(new QLabel(QStringLiteral("Gradient Type")));
    const char *tips[] = {"linear", "radial", "conical"};
    for (int i = 0; i < 3; ++i) {
        m_pButtons[i] = AddOption(new QToolButton);
        m_pButtons[i]->setCheckable(true);
        m_pButtons[i]->setAutoExclusive(true);
        m_pButtons[i]->setToolTip(QString::fromLatin1(tips[i]));
        m_pButtons[i]->setIconSize(QSize(32, 32));
        connect(m_pButtons[i], &QToolButton::clicked, this, &GradientTool::GradientBtnClicked);
    }
    m_pButtons[m_eType]->setChecked(true);
    AddOption(new QLabel(QStringLiteral("Colors")));
    ToolSwatches *pSwatches = context().Swatches();
    QWidget *pSwatch = nullptr;
    AddOption(PenOptions::MakeSwatchLabel(pSwatches, QStringLiteral("start color"), QStringLiteral("GradientStartColor"),
                                          QStringLiteral("start"), &pSwatch));
    m_pStartSwatch = pSwatch;
    AddOption(PenOptions::MakeSwatchLabel(pSwatches, QStringLiteral("end color"), QStringLiteral("GradientEndColor"),
                                          QStringLiteral("end"), &pSwatch));
    m_pEndSwatch = pSwatch;
    if (pSwatches) {
        for (QWidget *pOne : {m_pStartSwatch.data(), m_pEndSwatch.data()})
            m_connections << pSwatches->OnSwatchClicked(pOne, this, [this, pOne] { SwatchSelected(pOne); });
        m_connections << pSwatches->OnPaletteColor(this, [this](const QColor &color) { ColorPickerChanged(color); });
        m_startColor = StartColor();
        m_endColor = EndColor();
    }
    SwatchSelected(m_pStartSwatch);
    DrawIcons();
    // The handles keep their size on screen when the zoom changes.
    if (ChildWindow *pWindow = CurrentWindow())
        m_connections << connect(pWindow, &ChildWindow::ZoomChanged, this, [this] {
            if (m_pWindow && m_pStartHandle->scene())
                ShowHandles(m_pWindow);
        });
}

void GradientTool::FinishGesture()
{
    // A pending gradient is recorded rather than left on the layer without
    // an undo step.
    Commit();
}

void GradientTool::Deactivate()
{
    FinishGesture();
    for (const QMetaObject::Connection &connection : std::as_const(m_connections))
        disconnect(connection);
    m_connections.clear();
    EndActivation();
}

void GradientTool::SetType(Type eType)
{
    m_eType = eType;
    if (m_pButtons[eType])
        m_pButtons[eType]->setChecked(true);
    Draw();
}

void GradientTool::GradientBtnClicked()
{
    for (int i = 0; i < 3; ++i)
        if (m_pButtons[i] && m_pButtons[i]->isChecked())
            m_eType = Type(i);
    Draw();
}

void GradientTool::SwatchSelected(QWidget *pSwatch)
{
    PenOptions::SelectSwatch(context().Swatches(), m_pCurrentSwatch, pSwatch);
}

void GradientTool::ColorPickerChanged(const QColor &color)
{
    ToolSwatches *pSwatches = context().Swatches();
    if (pSwatches && m_pCurrentSwatch)
        pSwatches->SetSwatchColor(m_pCurrentSwatch, color);
    m_startColor = StartColor();
    m_endColor = EndColor();
    DrawIcons();
    Draw();
}

void GradientTool::DrawIcons()
{
    const QColor start = StartColor(), end = EndColor();
    for (int i = 0; i < 3; ++i) {
        if (!m_pButtons[i])
            continue;
        QPixmap icon(32, 32);
        icon.fill(Qt::transparent);
        QPainter painter(&icon);
        std::unique_ptr<QGradient> pGradient;
        if (i == Linear)
            pGradient = std::make_unique<QLinearGradient>(QPointF(0, 15), QPointF(31, 15));
        else if (i == Radial)
            pGradient = std::make_unique<QRadialGradient>(QPointF(15, 15), 32, QPointF(15, 15));
        else
            pGradient = std::make_unique<QConicalGradient>(QPointF(15, 15), 0);
        pGradient->setColorAt(0, start);
        pGradient->setColorAt(1, end);
        painter.setPen(Qt::NoPen);
        painter.setBrush(*pGradient);
        painter.drawRect(QRect(QPoint(0, 0), QPoint(31, 31)));
        painter.end();
        m_pButtons[i]->setIcon(QIcon(icon));
    }
}

std::unique_ptr<QGradient> GradientTool::MakeGradient(Type eType, const QPointF &start, const QPointF &end,
                                                      const QColor &startColor, const QColor &endColor)
{
    std::unique_ptr<QGradient> pGradient;
    const double dx = end.x() - start.x(), dy = end.y() - start.y();
    if (eType == Radial) {
        pGradient = std::make_unique<QRadialGradient>(start, std::abs(dx) + std::abs(dy), start);
    } else if (eType == Conical) {
        // Level ends (dy = 0) give plus or minus 90 degrees before the shift.
        const double angle = std::atan(dx / dy) * 180 / 3.14159;
        pGradient = std::make_unique<QConicalGradient>(start, start.y() <= end.y() ? angle - 90 : angle - 270);
    } else {
        pGradient = std::make_unique<QLinearGradient>(start, end);
    }
    pGradient->setColorAt(0, startColor);
    pGradient->setColorAt(1, endColor);
    return pGradient;
}

QRect GradientTool::ShownCanvas() const
{
    // The part of the canvas the window shows now, a pixel wider all round.
    if (!m_pWindow || !m_pWindow->isVisible())
        return QRect();
    QWidget *pViewport = m_pWindow->view()->viewport();
    const QRect seen = pViewport->visibleRegion().boundingRect();
    if (seen.isEmpty())
        return QRect();
    return m_pWindow->view()->mapToScene(seen).boundingRect().toAlignedRect().adjusted(-1, -1, 1, 1);
}

void GradientTool::Draw()
{
    if (m_iState == Idle || !IsShaping())
        return;
    // Ends that meet make no gradient.
    if (m_start == m_end) {
        Clear();
        return;
    }
    const std::unique_ptr<QGradient> pGradient = MakeGradient(m_eType, m_start, m_end, m_startColor, m_endColor);
    const QRect canvas(QPoint(0, 0), ShapeDocument()->canvasSize());
    // The painter's conical gradient costs an arc tangent a pixel; the
    // same pixels come faster from ConicalFill.
    const bool bFastConical = m_eType == Conical && m_start == QPointF(m_start.toPoint())
        && m_conical.Prepare(pGradient->stops());
    const auto paint = [&](QPainter &painter) {
        if (bFastConical) {
            const auto *pConical = static_cast<const QConicalGradient *>(pGradient.get());
            m_conical.Fill(*static_cast<QImage *>(painter.device()), painter.clipRegion(), m_start.toPoint(),
                           pConical->angle());
            return;
        }
        painter.setPen(Qt::NoPen);
        painter.setBrush(*pGradient);
        painter.drawRect(canvas);
    };
    // While the mouse drags an end, only what the window shows follows it;
    // the whole layer is drawn once the drag ends.
    const QRect shown = ShownCanvas().intersected(canvas);
    if ((m_iState == Dragging || m_iState == DraggingHandle) && !shown.isEmpty() && shown != canvas)
        Redraw(QRegion(shown), paint, Cover::Part);
    else
        Redraw(QRegion(canvas), paint, Cover::Whole);
}

bool GradientTool::OverAHandle(const QPointF &point) const
{
    for (const HandleGraphicsItem *pHandle : {m_pStartHandle.get(), m_pEndHandle.get()})
        if (pHandle->scene() && pHandle->HitTest(point))
            return true;
    return false;
}

void GradientTool::ShowHandles(ChildWindow *pWindow)
{
    // About 16 pixels on screen at any zoom.
    const int size = qBound(4, int(std::lround(16 / qMax(0.01, pWindow->ZoomFactor()))), 400);
    for (HandleGraphicsItem *pHandle : {m_pStartHandle.get(), m_pEndHandle.get()}) {
        if (pHandle->scene() != pWindow->scene()) {
            if (pHandle->scene())
                pHandle->scene()->removeItem(pHandle);
            pWindow->scene()->addItem(pHandle);
        }
        pHandle->SetSize(size);
        pHandle->setVisible(true);
    }
    m_pStartHandle->SetPosition(m_start);
    m_pEndHandle->SetPosition(m_end);
}

void GradientTool::HideHandles()
{
    for (HandleGraphicsItem *pHandle : {m_pStartHandle.get(), m_pEndHandle.get()})
        if (pHandle->scene())
            pHandle->scene()->removeItem(pHandle);
}

void GradientTool::SetWindowCursor(const QCursor &cursor)
{
    if (m_pWindow)
        m_pWindow->setCursor(cursor);
}

void GradientTool::DropIfOrphaned()
{
    // The document the gradient was pending on has closed.
    if (m_iState != Idle && !IsShaping()) {
        m_iState = Idle;
        HideHandles();
    }
}

void GradientTool::MousePress(Qt::MouseButtons, QPoint point, Qt::KeyboardModifiers, ChildWindow *pWindow)
{
    DropIfOrphaned();
    if (!pWindow || OverAHandle(point))
        return; // the handle takes the drag
    if (m_iState == Idle) {
        PixmapLayer *pLayer = PaintToolSupport::RasterForPainting(pWindow);
        if (!pLayer)
            return;
        m_pWindow = pWindow;
        m_start = m_end = point;
        m_startColor = StartColor();
        m_endColor = EndColor();
        m_iState = Dragging;
        BeginShape(pWindow, pLayer);
    } else if (m_iState == Pending && pWindow == m_pWindow) {
        // A press away from the handles drops the pending gradient and
        // starts another from here.
        HideHandles();
        m_start = m_end = point;
        m_iState = Dragging;
        Clear();
    }
}

void GradientTool::MousePosUpdate(int x, int y, ChildWindow *pWindow)
{
    if (pWindow != m_pWindow)
        return;
    switch (m_iState) {
    case Dragging:
        m_end = QPointF(x, y);
        Draw();
        break;
    case Pending:
        if (OverAHandle(QPointF(x, y))) {
            SetWindowCursor(QCursor(Qt::OpenHandCursor));
            m_iState = OverHandle;
        }
        break;
    case OverHandle:
        if (!OverAHandle(QPointF(x, y))) {
            SetWindowCursor(GetCursor());
            m_iState = Pending;
        }
        break;
    default:
        break;
    }
}

void GradientTool::MouseRelease(Qt::MouseButtons, QPoint point, Qt::KeyboardModifiers, ChildWindow *pWindow)
{
    if (m_iState != Dragging || pWindow != m_pWindow)
        return;
    m_end = point;
    if (m_start == m_end) {
        // A click, or a drag back to where it began: nothing is pending.
        m_iState = Idle;
        Cancel();
        return;
    }
    m_iState = Pending;
    Draw(); // the whole layer now
    ShowHandles(pWindow);
}

void GradientTool::HandleMouseDown(HandleGraphicsItem *, QGraphicsSceneMouseEvent *)
{
    if (m_iState == Idle)
        return;
    m_iState = DraggingHandle;
    SetWindowCursor(QCursor(Qt::ClosedHandCursor));
}

void GradientTool::HandleMoved(HandleGraphicsItem *pHandle, QGraphicsSceneMouseEvent *pEvent)
{
    if (m_iState == Idle)
        return;
    const QPointF at = ChildWindow::ScenePixel(pEvent->scenePos());
    if (pHandle == m_pStartHandle.get())
        m_start = at;
    else
        m_end = at;
    Draw();
}

void GradientTool::HandleMouseUp(HandleGraphicsItem *pHandle, QGraphicsSceneMouseEvent *pEvent)
{
    if (m_iState == Idle)
        return;
    m_iState = Pending;
    Draw(); // the whole layer now
    if (pHandle->HitTest(pEvent->scenePos())) {
        m_iState = OverHandle;
        SetWindowCursor(QCursor(Qt::OpenHandCursor));
    } else {
        SetWindowCursor(GetCursor());
    }
}

void GradientTool::KeyPress(QKeyEvent *pEvent)
{
    DropIfOrphaned();
    if (m_iState == Idle || !pEvent)
        return;
    if (pEvent->key() == Qt::Key_Escape) {
        m_iState = Idle;
        HideHandles();
        Cancel();
    } else if (pEvent->key() == Qt::Key_Return) {
        Commit();
    }
}

void GradientTool::Commit()
{
    HideHandles();
    if (m_iState == Idle)
        return;
    if (m_iState == Dragging || m_iState == DraggingHandle) {
        // Cut short in the middle of a drag: the whole layer first.
        m_iState = Pending;
        Draw();
    }
    m_iState = Idle;
    Finish(QStringLiteral("Gradient"));
    SetWindowCursor(GetCursor());
}

void GradientTool::ShapeLayerSwitched()
{
    Commit();
}
