#include "LassoTool.h"

#include "ChildWindow.h"
#include "GraphicsScene.h"

#include <QGraphicsLineItem>
#include <QGraphicsPathItem>
#include <QKeyEvent>

LassoTool::LassoTool(ToolContext &context, QObject *pParent)
    : SelectionTool(context, pParent)
    , m_pSegment(new QGraphicsLineItem)
    , m_antsTimer(this)
    , m_pDashed(new QGraphicsPathItem)
    , m_pSolid(new QGraphicsPathItem)
{
    m_pDashed->setZValue(6002);
    m_pSolid->setZValue(6001);
    m_pSegment->setZValue(6002);
    connect(&m_antsTimer, &QTimer::timeout, this, &LassoTool::MarchingAntsTimer);
    RefreshPens();
}

LassoTool::~LassoTool()
{
    TakeOutItems();
    delete m_pSegment;
    delete m_pDashed;
    delete m_pSolid;
}

void LassoTool::TakeOutItems()
{
    TakeOut(m_pSegment);
    TakeOut(m_pDashed);
    TakeOut(m_pSolid);
}

QRegion LassoTool::OutlineRegion(const QPainterPath &outline)
{
    return QRegion(outline.simplified().toFillPolygon().toPolygon(), Qt::OddEvenFill);
}

void LassoTool::RefreshPens()
{
    // Cosmetic pens: one screen pixel at every zoom.
    QPen dashed(Qt::black, 0);
    dashed.setDashPattern({4, 4});
    dashed.setDashOffset(m_bAntsPhase ? 4 : 0);
    QPen solid(Qt::white, 0);
    m_pDashed->setPen(dashed);
    m_pSegment->setPen(dashed);
    m_pSolid->setPen(solid);
    m_pDashed->setPath(m_path);
    m_pSolid->setPath(m_path);
}

void LassoTool::MarchingAntsTimer()
{
    m_bAntsPhase = !m_bAntsPhase;
    RefreshPens();
}

void LassoTool::StartSegment(const QPoint &anchor)
{
    m_anchor = anchor;
    m_iState = Straight;
    m_pSegment->setLine(QLineF(anchor, anchor));
    if (m_pWindow && m_pSegment->scene() != m_pWindow->scene())
        m_pWindow->scene()->addItem(m_pSegment);
}

void LassoTool::EndSegment()
{
    TakeOut(m_pSegment);
}

void LassoTool::MousePress(Qt::MouseButtons, QPoint point, Qt::KeyboardModifiers keys, ChildWindow *pWindow)
{
    if (!pWindow || m_bPressed)
        return;
    BeginGesture(pWindow, point, keys);
    m_bPressed = true;
    if (!m_antsTimer.isActive())
        m_antsTimer.start(500);
    m_path = QPainterPath(QPointF(point));
    if (keys & Qt::ControlModifier)
        StartSegment(point);
    else
        m_iState = Freehand;
    pWindow->scene()->addItem(m_pSolid);
    pWindow->scene()->addItem(m_pDashed);
    RefreshPens();
}

void LassoTool::MousePosUpdate(int x, int y, ChildWindow *pWindow)
{
    if (!m_bPressed || pWindow != m_pWindow)
        return;
    m_current = QPoint(x, y);
    if (m_iState == Freehand) {
        m_path.lineTo(m_current);
        m_pDashed->setPath(m_path);
        m_pSolid->setPath(m_path);
    } else if (m_iState == Straight) {
        m_pSegment->setLine(QLineF(m_anchor, m_current));
    }
}

void LassoTool::MouseRelease(Qt::MouseButtons, QPoint point, Qt::KeyboardModifiers keys, ChildWindow *pWindow)
{
    if (!m_bPressed)
        return;
    if (m_iState == Straight) {
        EndSegment();
        m_path.lineTo(point);
    }
    m_bPressed = false;
    m_iState = Idle;
    m_antsTimer.stop();
    TakeOutItems();
    const QPainterPath outline = m_path;
    m_path = QPainterPath();
    if (!pWindow || pWindow != m_pWindow)
        return;
    ApplyShape(OutlineRegion(outline), keys);
}

// Ctrl held during a drag draws a straight segment from where it went down.
void LassoTool::KeyPress(QKeyEvent *pEvent)
{
    SelectionTool::KeyPress(pEvent);
    if (pEvent->key() == Qt::Key_Control && m_iState == Freehand && !pEvent->isAutoRepeat())
        StartSegment(m_current);
}

void LassoTool::KeyRelease(QKeyEvent *pEvent)
{
    SelectionTool::KeyRelease(pEvent);
    if (!(m_keys & Qt::ControlModifier) && m_iState == Straight) {
        m_path.lineTo(m_current);
        m_iState = Freehand;
        m_pDashed->setPath(m_path);
        m_pSolid->setPath(m_path);
        EndSegment();
    }
}
