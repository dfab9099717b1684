#include "CropTool.h"

#include "BoxHandles.h"
#include "ChildWindow.h"
#include "CropGeometry.h"
#include "CropSelectionCmd.h"
#include "CropShadeItem.h"
#include "GraphicsScene.h"
#include "HandleGraphicsItem.h"
#include "SelectionCmd.h"
#include "SizeReadout.h"
#include "ToolContext.h"

#include <QComboBox>
#include <QGraphicsSceneMouseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QSpinBox>
#include <QUndoStack>

using namespace CropGeometry;

namespace {

void takeOut(QGraphicsItem *pItem)
{
    if (pItem->scene())
        pItem->scene()->removeItem(pItem);
}

// Handles keep about this many screen pixels at every zoom.
constexpr double kHandleScreenSize = 16;

} // namespace

CropTool::CropTool(ToolContext &context, QObject *pParent)
    : BaseTool(context, pParent)
    , m_pShade(new CropShadeItem)
{
    m_iGuide = context.Setting(QStringLiteral("cropToolGuide"), 0).toInt();
    m_iRatioType = context.Setting(QStringLiteral("cropToolRatio"), 0).toInt();
    for (int i = 0; i < int(m_handles.size()); ++i) {
        HandleGraphicsItem *pHandle = BoxHandles::Create(i);
        // The tool keeps the box on the canvas itself.
        pHandle->m_bBounded = false;
        connect(pHandle, &HandleGraphicsItem::Moved, this, &CropTool::HandleMoved);
        connect(pHandle, &HandleGraphicsItem::MouseDown, this, &CropTool::HandleMouseDown);
        connect(pHandle, &HandleGraphicsItem::MouseUp, this, &CropTool::HandleMouseUp);
        m_handles[size_t(i)] = pHandle;
    }
}

CropTool::~CropTool()
{
    for (HandleGraphicsItem *pHandle : m_handles) {
        takeOut(pHandle);
        delete pHandle;
    }
    takeOut(m_pShade);
    delete m_pShade;
}

void CropTool::Activate()
{
    BeginActivation();
    AddOption(new QLabel(QStringLiteral("Guide Lines")));
    m_pGuideCombo = AddOption(new QComboBox);
    const QStringList guides = {QStringLiteral("None"), QStringLiteral("Rule of Thirds"), QStringLiteral("Grid"),
                                QStringLiteral("Diagonal")};
    for (int i = 0; i < guides.size(); ++i)
        m_pGuideCombo->addItem(guides[i], i);
    m_pGuideCombo->setCurrentIndex(qMax(0, m_pGuideCombo->findData(m_iGuide)));
    AddOption(new QLabel(QStringLiteral("Ratio")));
    m_pRatioCombo = AddOption(new QComboBox);
    const QStringList ratios = {QStringLiteral("None"), QStringLiteral("Original"), QStringLiteral("Fixed")};
    for (int i = 0; i < ratios.size(); ++i)
        m_pRatioCombo->addItem(ratios[i], i);
    m_pRatioCombo->setCurrentIndex(qMax(0, m_pRatioCombo->findData(m_iRatioType)));
    AddOption(new QLabel(QStringLiteral("Width")));
    m_pWidthSpin = AddOption(new QSpinBox);
    m_pWidthSpin->setRange(1, 9999);
    m_pWidthSpin->setValue(context().Setting(QStringLiteral("cropToolRatioWidth"), 1).toInt());
    AddOption(new QLabel(QStringLiteral("Height")));
    m_pHeightSpin = AddOption(new QSpinBox);
    m_pHeightSpin->setRange(1, 9999);
    m_pHeightSpin->setValue(context().Setting(QStringLiteral("cropToolRatioHeight"), 1).toInt());
    EnableRatioOptions(true);
    connect(m_pGuideCombo, &QComboBox::currentIndexChanged, this, &CropTool::GuideTypeChanged);
    connect(m_pRatioCombo, &QComboBox::currentIndexChanged, this, &CropTool::RatioTypeChanged);
    connect(m_pWidthSpin, &QSpinBox::valueChanged, this, &CropTool::RatioWidthChanged);
    connect(m_pHeightSpin, &QSpinBox::valueChanged, this, &CropTool::RatioHeightChanged);

    m_cropRect = QRect();
    m_iState = Outside;
    if (ChildWindow *pWindow = CurrentWindow()) {
        m_pWindow = pWindow;
        m_zoomConnection = connect(pWindow, &ChildWindow::ZoomChanged, this, &CropTool::Refresh);
        // A box on a canvas that changed size means nothing any more.
        m_canvasConnection = connect(pWindow, &ChildWindow::CanvasSizeChanged, this, [this] {
            m_cropRect = QRect();
            Refresh();
        });
        pWindow->scene()->addItem(m_pShade);
        for (HandleGraphicsItem *pHandle : m_handles)
            pWindow->scene()->addItem(pHandle);
    }
    Refresh();
}

void CropTool::FinishGesture()
{
    // The box never touches the document; a drag in progress ends where it
    // got to, and a box without area goes.
    if (m_iState == Drawing || m_iState == MovingBox || m_iState == Resizing)
        EndGesture();
}

void CropTool::Deactivate()
{
    FinishGesture();
    disconnect(m_zoomConnection);
    disconnect(m_canvasConnection);
    delete m_pReadout;
    m_cropRect = QRect();
    m_iState = Outside;
    for (HandleGraphicsItem *pHandle : m_handles)
        takeOut(pHandle);
    takeOut(m_pShade);
    m_pWindow = nullptr;
    EndActivation();
}

QCursor CropTool::GetCursor() const
{
    switch (m_iState) {
    case OverHandle:
        if (m_iHoverHandle == 0 || m_iHoverHandle == 4)
            return QCursor(Qt::SizeFDiagCursor);
        if (m_iHoverHandle == 2 || m_iHoverHandle == 6)
            return QCursor(Qt::SizeBDiagCursor);
        return QCursor(m_iHoverHandle == 1 || m_iHoverHandle == 5 ? Qt::SizeVerCursor : Qt::SizeHorCursor);
    case InsideBox:
    case MovingBox:
        return QCursor(Qt::SizeAllCursor);
    default:
        return QCursor(Qt::CrossCursor);
    }
}

void CropTool::SetState(int iState)
{
    if (iState == m_iState)
        return;
    m_iState = iState;
    RefreshCursor();
}

double CropTool::CurrentRatio() const
{
    const QSize canvas = m_pWindow ? m_pWindow->canvasSize() : QSize();
    return RatioFor(m_iRatioType, canvas, m_pWidthSpin ? m_pWidthSpin->value() : 1,
                    m_pHeightSpin ? m_pHeightSpin->value() : 1);
}

void CropTool::EnableRatioOptions(bool bEnable)
{
    if (m_pRatioCombo)
        m_pRatioCombo->setEnabled(bEnable);
    const bool bFixed = bEnable && m_iRatioType == FixedRatio;
    if (m_pWidthSpin)
        m_pWidthSpin->setEnabled(bFixed);
    if (m_pHeightSpin)
        m_pHeightSpin->setEnabled(bFixed);
}

void CropTool::Refresh()
{
    if (!m_pWindow)
        return;
    m_pShade->SetCanvas(m_pWindow->canvasSize());
    m_pShade->SetGuide(m_iGuide);
    m_pShade->SetBox(m_cropRect);
    m_pShade->setVisible(!m_cropRect.isEmpty());
    const bool bHandles = !m_cropRect.isEmpty() && m_iState != Drawing && m_iState != MovingBox;
    const int size = qMax(4, qRound(kHandleScreenSize / m_pWindow->ZoomFactor()));
    const std::array<QPointF, BoxHandles::kCount> points = BoxHandles::Points(QRectF(m_cropRect));
    for (int i = 0; i < BoxHandles::kCount; ++i) {
        HandleGraphicsItem *pHandle = m_handles[size_t(i)];
        pHandle->setVisible(bHandles);
        if (pHandle->Size() != size)
            pHandle->SetSize(size);
        pHandle->SetPosition(points[i]);
    }
}

int CropTool::HandleAt(const QPointF &point) const
{
    for (int i = 0; i < int(m_handles.size()); ++i)
        if (m_handles[size_t(i)]->isVisible() && m_handles[size_t(i)]->scene()
            && m_handles[size_t(i)]->HitTest(point))
            return i;
    return -1;
}

// --- Pointer ----------------------------------------------------------------------------

void CropTool::MousePress(Qt::MouseButtons buttons, QPoint point, Qt::KeyboardModifiers keys, ChildWindow *pWindow)
{
    m_keys = keys;
    if (!pWindow || pWindow != m_pWindow || !(buttons & Qt::LeftButton))
        return;
    EnableRatioOptions(false);
    if (HandleAt(QPointF(point)) >= 0) {
        // The handle's own events carry the drag.
        SetState(Resizing);
        m_dRatio = CurrentRatio();
        return;
    }
    const QSize canvas = pWindow->canvasSize();
    m_anchor = m_current = Clamp(point, canvas);
    if (m_cropRect.isEmpty() || !m_cropRect.contains(point)) {
        SetState(Drawing);
        m_dRatio = CurrentRatio();
        m_cropRect = QRect();
        delete m_pReadout;
        m_pReadout = new SizeReadout(QStringLiteral("0x0"), pWindow);
        m_pReadout->PlaceAbove(m_anchor);
    } else {
        SetState(MovingBox);
        m_current = point;
    }
    Refresh();
}

void CropTool::MousePosUpdate(int x, int y, ChildWindow *pWindow)
{
    if (!pWindow || pWindow != m_pWindow)
        return;
    const QSize canvas = pWindow->canvasSize();
    const QPoint point(x, y);
    switch (m_iState) {
    case Drawing: {
        m_current = Clamp(point, canvas);
        const bool bSquare = m_keys & Qt::ControlModifier;
        m_cropRect = DragBox(m_anchor, m_current, m_dRatio, bSquare);
        if (m_pReadout) {
            m_pReadout->SetText(QString::number(m_cropRect.width()) + QStringLiteral(" x ")
                                + QString::number(m_cropRect.height()));
            m_pReadout->PlaceAbove(QPointF(m_cropRect.center().x() + 0.5, m_cropRect.top()));
        }
        Refresh();
        return;
    }
    case MovingBox:
        m_cropRect = KeepInside(m_cropRect.translated(point - m_current), canvas);
        m_current = point;
        Refresh();
        return;
    case Resizing:
        return;
    default: {
        m_iHoverHandle = HandleAt(QPointF(point));
        const int state = m_iHoverHandle >= 0 ? OverHandle : m_cropRect.contains(point) ? InsideBox : Outside;
        if (state != m_iState) {
            m_iState = state;
            RefreshCursor();
        } else if (state == OverHandle) {
            RefreshCursor();
        }
    }
    }
}

void CropTool::EndGesture()
{
    if (m_iState == Drawing && (m_cropRect.width() <= 0 || m_cropRect.height() <= 0))
        m_cropRect = QRect(); // a box without width or height is no box
    delete m_pReadout;
    SetState(Outside);
    EnableRatioOptions(true);
    Refresh();
}

void CropTool::MouseRelease(Qt::MouseButtons buttons, QPoint, Qt::KeyboardModifiers, ChildWindow *pWindow)
{
    if (!pWindow || pWindow != m_pWindow || (buttons & Qt::LeftButton))
        return;
    if (m_iState == Drawing || m_iState == MovingBox || m_iState == Resizing)
        EndGesture();
}

void CropTool::HandleMouseDown(HandleGraphicsItem *, QGraphicsSceneMouseEvent *)
{
    EnableRatioOptions(false);
    SetState(Resizing);
    m_dRatio = CurrentRatio();
}

void CropTool::HandleMoved(HandleGraphicsItem *pHandle, QGraphicsSceneMouseEvent *)
{
    if (!m_pWindow || m_cropRect.isEmpty())
        return;
    const QPointF p = pHandle->Position();
    m_cropRect = HandleBox(m_cropRect, pHandle->m_iIdentifier, QPoint(qRound(p.x()), qRound(p.y())), m_dRatio,
                           m_pWindow->canvasSize());
    Refresh();
}

void CropTool::HandleMouseUp(HandleGraphicsItem *, QGraphicsSceneMouseEvent *)
{
    if (m_iState == Resizing)
        EndGesture();
}

// --- Keys --------------------------------------------------------------------------------------

void CropTool::KeyPress(QKeyEvent *pEvent)
{
    m_keys = KeysAfter(pEvent);
    const int key = pEvent->key();
    if (key != Qt::Key_Escape && key != Qt::Key_Return && key != Qt::Key_Enter)
        return;
    if (key != Qt::Key_Escape)
        Commit();
    m_cropRect = QRect();
    EndGesture();
}

void CropTool::KeyRelease(QKeyEvent *pEvent)
{
    m_keys = KeysAfter(pEvent);
}

void CropTool::Commit()
{
    if (!m_pWindow)
        return;
    Document *pDocument = m_pWindow->document();
    const QSize canvas = pDocument->canvasSize();
    const QRect box = m_cropRect.intersected(QRect(QPoint(0, 0), canvas));
    if (box.isEmpty())
        return;
    // The box becomes the selection only for the crop: undoing the crop
    // brings back the selection the user had.
    QUndoStack *pStack = pDocument->undoStack();
    pStack->beginMacro(QStringLiteral("Crop"));
    pStack->push(new SelectionCmd(pDocument, pDocument->Selection(), QRegion(box)));
    pStack->push(new CropSelectionCmd(pDocument, QRegion(box), canvas.width(), canvas.height()));
    pStack->endMacro();
}

// --- Options -------------------------------------------------------------------------------------

void CropTool::GuideTypeChanged(int iIndex)
{
    if (!m_pGuideCombo)
        return;
    m_iGuide = m_pGuideCombo->itemData(iIndex).toInt();
    context().SetSetting(QStringLiteral("cropToolGuide"), m_iGuide);
    Refresh();
}

void CropTool::RatioTypeChanged(int iIndex)
{
    if (!m_pRatioCombo)
        return;
    m_iRatioType = m_pRatioCombo->itemData(iIndex).toInt();
    context().SetSetting(QStringLiteral("cropToolRatio"), m_iRatioType);
    EnableRatioOptions(true);
}

void CropTool::RatioWidthChanged(int iValue)
{
    context().SetSetting(QStringLiteral("cropToolRatioWidth"), iValue);
}

void CropTool::RatioHeightChanged(int iValue)
{
    context().SetSetting(QStringLiteral("cropToolRatioHeight"), iValue);
}
