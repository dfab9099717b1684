#include "SelectTool.h"

#include "ChildWindow.h"
#include "GraphicsScene.h"
#include "MoveSelectionTool.h"
#include "SizeReadout.h"

#include <QCheckBox>
#include <QGraphicsEllipseItem>
#include <QGraphicsRectItem>
#include <QSlider>
#include <QSpinBox>

SelectTool::SelectTool(ToolContext &context, int iShape, MoveSelectionTool *pMover, QObject *pParent)
    : SelectionTool(context, pParent)
    , m_pEllipseItem(new QGraphicsEllipseItem)
    , m_pRectItem(new QGraphicsRectItem)
    , m_iShape(iShape)
    , m_pMover(pMover)
{
    const QColor preview(0, 0, 255, 100);
    for (QAbstractGraphicsShapeItem *pItem : {static_cast<QAbstractGraphicsShapeItem *>(m_pEllipseItem),
                                              static_cast<QAbstractGraphicsShapeItem *>(m_pRectItem)}) {
        pItem->setBrush(preview);
        pItem->setPen(Qt::NoPen);
        pItem->setZValue(5000);
    }
}

SelectTool::~SelectTool()
{
    TakeOut(m_pEllipseItem);
    TakeOut(m_pRectItem);
    delete m_pEllipseItem;
    delete m_pRectItem;
}

QAbstractGraphicsShapeItem *SelectTool::Preview() const
{
    if (m_iShape == EllipseShape)
        return m_pEllipseItem;
    return m_pRectItem;
}

void SelectTool::SetPreviewRect(const QRect &rect)
{
    const QRectF r = rect.isEmpty() ? QRectF() : QRectF(rect);
    if (m_iShape == EllipseShape)
        m_pEllipseItem->setRect(r);
    else
        m_pRectItem->setRect(r);
}

void SelectTool::AddOptions()
{
    ChildWindow *pWindow = CurrentWindow();
    m_pCenterBox = AddOption(new QCheckBox(QStringLiteral("Center")));
    m_pCenterBox->setChecked(m_bCenter);
    connect(m_pCenterBox, &QCheckBox::toggled, this, [this](bool bOn) { m_bCenter = bOn; });
    m_pFeatherBox = AddOption(new QCheckBox(QStringLiteral("Feathered")));
    m_pFeatherSlider = AddOption(new QSlider(Qt::Horizontal));
    m_pFeatherSlider->setFixedWidth(150);
    m_pFeatherSpin = AddOption(new QSpinBox);
    m_pFeatherSlider->setRange(1, 100);
    m_pFeatherSpin->setRange(1, 100);
    const bool bFeather = pWindow && pWindow->FeatherEnabled();
    m_pFeatherBox->setChecked(bFeather);
    m_pFeatherBox->setEnabled(pWindow != nullptr);
    if (pWindow) {
        m_pFeatherSlider->setValue(pWindow->FeatherRadius());
        m_pFeatherSpin->setValue(pWindow->FeatherRadius());
    }
    m_pFeatherSlider->setEnabled(bFeather);
    m_pFeatherSpin->setEnabled(bFeather);
    // Connected after the set-up, so that showing the values changes nothing.
    connect(m_pFeatherSlider, &QSlider::valueChanged, m_pFeatherSpin, &QSpinBox::setValue);
    connect(m_pFeatherSpin, &QSpinBox::valueChanged, m_pFeatherSlider, &QSlider::setValue);
    connect(m_pFeatherSlider, &QSlider::valueChanged, this, &SelectTool::FeatherSliderChanged);
    connect(m_pFeatherBox, &QCheckBox::toggled, m_pFeatherSlider, &QWidget::setEnabled);
    connect(m_pFeatherBox, &QCheckBox::toggled, m_pFeatherSpin, &QWidget::setEnabled);
    connect(m_pFeatherBox, &QCheckBox::toggled, this, &SelectTool::FeatherCheckboxToggle);
}

void SelectTool::Deactivate()
{
    SelectionTool::Deactivate();
    m_iState = Idle;
}

QCursor SelectTool::GetCursor() const
{
    if (m_iState == OverSelection)
        return m_pMover->GetCursor();
    return SelectionTool::GetCursor();
}

void SelectTool::FeatherCheckboxToggle(bool bOn)
{
    if (ChildWindow *pWindow = CurrentWindow())
        pWindow->SetFeather(bOn);
}

void SelectTool::FeatherSliderChanged(int iValue)
{
    if (ChildWindow *pWindow = CurrentWindow())
        pWindow->SetFeatherRadius(iValue);
}

QRect SelectTool::ShapeRect(const QPoint &start, const QPoint &point, bool bCenter, bool bSquare)
{
    if (point == start)
        return QRect();
    const QPoint d = point - start;
    if (bCenter) {
        if (bSquare) {
            const int m = qAbs(d.x()) + qAbs(d.y());
            return QRect(start - QPoint(m, m), start + QPoint(m, m));
        }
        const QPoint half(qAbs(d.x()), qAbs(d.y()));
        return QRect(start - half, start + half);
    }
    int left = qMin(start.x(), point.x()), right = qMax(start.x(), point.x());
    int top = qMin(start.y(), point.y()), bottom = qMax(start.y(), point.y());
    if (bSquare) {
        // The shorter side grows to the longer one, to the right or down.
        if (right - left < bottom - top)
            right = left + (bottom - top);
        else
            bottom = top + (right - left);
    }
    return QRect(QPoint(left, top), QPoint(right, bottom));
}

void SelectTool::MousePress(Qt::MouseButtons buttons, QPoint point, Qt::KeyboardModifiers keys, ChildWindow *pWindow)
{
    if (!pWindow || m_iState == Drawing || m_iState == MovingSelection)
        return;
    BeginGesture(pWindow, point, keys);
    const bool bCombine = keys & (Qt::ShiftModifier | Qt::AltModifier);
    if (!bCombine && m_before.contains(point)) {
        m_iState = MovingSelection;
        m_pMover->MousePress(buttons, point, keys, pWindow);
        return;
    }
    m_start = point;
    m_iState = Drawing;
    m_shapeRect = QRect();
    delete m_pReadout;
    m_pReadout = new SizeReadout(QStringLiteral("0x0"), pWindow);
    m_pReadout->PlaceAbove(point);
    // A new shape replaces the selection: it goes at once, so the user sees
    // only what is being drawn. The history entry comes with the release.
    if (!bCombine)
        pWindow->SetSelection(QRegion());
    SetPreviewRect(QRect());
    if (Preview()->scene() != pWindow->scene())
        pWindow->scene()->addItem(Preview());
}

void SelectTool::MousePosUpdate(int x, int y, ChildWindow *pWindow)
{
    if (!pWindow)
        return;
    const QPoint point(x, y);
    switch (m_iState) {
    case Drawing: {
        if (pWindow != m_pWindow)
            return;
        m_current = point;
        m_shapeRect = ShapeRect(m_start, point, m_bCenter, m_keys & Qt::ControlModifier);
        SetPreviewRect(m_shapeRect);
        if (m_pReadout) {
            m_pReadout->SetText(QString::number(m_shapeRect.width()) + QStringLiteral(" x ")
                                + QString::number(m_shapeRect.height()));
            const QRect r = m_shapeRect.isEmpty() ? QRect(m_start, QSize(1, 1)) : m_shapeRect;
            m_pReadout->PlaceAbove(QPointF(r.center().x() + 0.5, r.top()));
        }
        return;
    }
    case MovingSelection:
        m_current = point;
        m_pMover->MousePosUpdate(x, y, pWindow);
        return;
    default: {
        const QRegion selection = pWindow->Selection();
        if (!selection.isEmpty() && selection.contains(point)) {
            if (m_iState != OverSelection) {
                m_iState = OverSelection;
                RefreshCursor();
            }
        } else if (m_iState == OverSelection) {
            m_iState = Idle;
            RefreshCursor();
        }
    }
    }
}

void SelectTool::MouseRelease(Qt::MouseButtons buttons, QPoint point, Qt::KeyboardModifiers keys,
                              ChildWindow *pWindow)
{
    if (m_iState == MovingSelection) {
        m_iState = Idle;
        m_pMover->MouseRelease(buttons, point, keys, pWindow);
        return;
    }
    if (m_iState != Drawing)
        return;
    m_iState = Idle;
    delete m_pReadout;
    SetPreviewRect(QRect());
    if (Preview()->scene())
        Preview()->scene()->removeItem(Preview());
    if (!pWindow || pWindow != m_pWindow)
        return;
    if (m_shapeRect.isEmpty()) {
        // A click: whatever the press cleared is one history entry.
        PushChange(pWindow->document(), m_before, pWindow->Selection());
        return;
    }
    ApplyShape(m_iShape == EllipseShape ? QRegion(m_shapeRect, QRegion::Ellipse) : QRegion(m_shapeRect), keys);
}
