#pragma once
#include <QPointF>
#include <QRect>

#include <array>

class CanvasOverlay;
class HandleGraphicsItem;
class QGraphicsPolygonItem;
class QGraphicsScene;

// The move tool's frame on the document's overlay: the box's outline, its
// eight handles and the round rotation handle above it, all turned with the
// box about its centre and kept in screen pixels whatever the zoom.
class TransformFrame {
public:
    static constexpr int kRotationHandle = 8;
    static constexpr int kHandleCount = 9;

    TransformFrame();
    ~TransformFrame();
    TransformFrame(const TransformFrame &) = delete;
    TransformFrame &operator=(const TransformFrame &) = delete;

    void AddTo(QGraphicsScene *pScene);
    void Remove();
    // Lays the frame around the box (canvas pixels) turned by the angle, as
    // the overlay shows the canvas now; or hides it.
    void LayOut(const CanvasOverlay &overlay, const QRect &box, double dDegrees, bool bShown);

    HandleGraphicsItem *Handle(int iId) const { return m_handles[size_t(iId)]; }
    // The shown handle under an overlay point, or -1.
    int HandleAt(const QPointF &overlayPoint) const;
    // Whether an overlay point lies inside the box as it is turned on screen.
    static bool Contains(const CanvasOverlay &overlay, const QRect &box, double dDegrees, const QPointF &overlayPoint);

private:
    std::array<HandleGraphicsItem *, kHandleCount> m_handles{};
    QGraphicsPolygonItem *m_pOutline;
    QGraphicsPolygonItem *m_pDashes;
};
