#include "TransformFrame.h"

#include "BoxHandles.h"
#include "CanvasOverlay.h"
#include "HandleGraphicsItem.h"

#include <QGraphicsPolygonItem>
#include <QGraphicsScene>
#include <QPen>

namespace {

// How far above the top edge the rotation handle sits, in screen pixels.
constexpr double kRotationHandleGap = 28;

void takeOut(QGraphicsItem *pItem)
{
    if (pItem->scene())
        pItem->scene()->removeItem(pItem);
}

// Turns by the angle about the centre.
QTransform turnAbout(const QPointF &centre, double dDegrees)
{
    QTransform turn;
    turn.translate(centre.x(), centre.y());
    turn.rotate(dDegrees);
    turn.translate(-centre.x(), -centre.y());
    return turn;
}

} // namespace

TransformFrame::TransformFrame()
    : m_pOutline(new QGraphicsPolygonItem)
{
    for (int i = 0; i < kHandleCount; ++i)
        m_handles[size_t(i)] = BoxHandles::Create(i);
    m_handles[kRotationHandle]->SetShape(HandleGraphicsItem::Circle);
    // A dashed white line over a black one shows on any picture.
    m_pOutline->setPen(QPen(Qt::black, 1));
    m_pOutline->setZValue(5000);
    m_pDashes = new QGraphicsPolygonItem(m_pOutline);
    m_pDashes->setPen(QPen(Qt::white, 1, Qt::DashLine));
}

TransformFrame::~TransformFrame()
{
    Remove();
    for (HandleGraphicsItem *pHandle : m_handles)
        delete pHandle;
    delete m_pOutline;
}

void TransformFrame::AddTo(QGraphicsScene *pScene)
{
    for (HandleGraphicsItem *pHandle : m_handles)
        if (pHandle->scene() != pScene)
            pScene->addItem(pHandle);
    if (m_pOutline->scene() != pScene)
        pScene->addItem(m_pOutline);
}

void TransformFrame::Remove()
{
    for (HandleGraphicsItem *pHandle : m_handles)
        takeOut(pHandle);
    takeOut(m_pOutline);
}

void TransformFrame::LayOut(const CanvasOverlay &overlay, const QRect &box, double dDegrees, bool bShown)
{
    bShown = bShown && !box.isEmpty();
    for (HandleGraphicsItem *pHandle : m_handles)
        pHandle->setVisible(bShown);
    m_pOutline->setVisible(bShown);
    if (!bShown)
        return;
    const QPointF centre = overlay.FromCanvas(QRectF(box).center());
    const std::array<QPointF, BoxHandles::kCount> places = BoxHandles::Points(QRectF(box));
    for (int i = 0; i < kHandleCount; ++i) {
        HandleGraphicsItem *pHandle = m_handles[size_t(i)];
        pHandle->m_dRotation = dDegrees;
        pHandle->m_rotationCentre = centre;
        if (i == kRotationHandle)
            pHandle->SetPosition(overlay.FromCanvas(places[1]) - QPointF(0, kRotationHandleGap));
        else
            pHandle->SetPosition(overlay.FromCanvas(places[size_t(i)]));
    }
    const QTransform turn = turnAbout(centre, dDegrees);
    QPolygonF outline;
    for (int i : {0, 2, 4, 6})
        outline << turn.map(overlay.FromCanvas(places[size_t(i)]));
    m_pOutline->setPolygon(outline);
    m_pDashes->setPolygon(outline);
}

int TransformFrame::HandleAt(const QPointF &overlayPoint) const
{
    for (int i = 0; i < kHandleCount; ++i) {
        const HandleGraphicsItem *pHandle = m_handles[size_t(i)];
        if (pHandle->isVisible() && pHandle->scene() && pHandle->HitTest(overlayPoint))
            return i;
    }
    return -1;
}

bool TransformFrame::Contains(const CanvasOverlay &overlay, const QRect &box, double dDegrees,
                              const QPointF &overlayPoint)
{
    if (box.isEmpty())
        return false;
    const QPointF centre = overlay.FromCanvas(QRectF(box).center());
    const QPointF unturned = turnAbout(centre, -dDegrees).map(overlayPoint);
    return QRectF(box).contains(overlay.ToCanvas(unturned));
}
