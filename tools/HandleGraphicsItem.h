#pragma once
#include <QGraphicsItem>
#include <QObject>
#include <QPointF>
#include <QTransform>

class QGraphicsSceneContextMenuEvent;
class QGraphicsSceneMouseEvent;

// A small draggable square or circle that tools place on the canvas (crop
// box corners, the move tool's frame, gradient ends). It keeps inside the
// view while dragged, can be limited to one axis and follows a rotated frame.
class HandleGraphicsItem : public QObject, public QGraphicsItem {
    Q_OBJECT
    Q_INTERFACES(QGraphicsItem)
public:
    enum DragMode { NoDrag = 0, FreeDrag = 1, HorizontalDrag = 2, VerticalDrag = 3 };
    enum Shape { Circle = 0, Square = 1 };

    explicit HandleGraphicsItem(QGraphicsItem *pParent = nullptr);

    // Centres the handle on the point, given in the frame's own (unrotated)
    // coordinates; the rotation then carries it onto the rotated frame.
    void SetPosition(const QPointF &p);
    QPointF Position() const { return m_centre; }
    void SetPosition(double x, double y) { SetPosition(QPointF(x, y)); }
    bool HitTest(const QPointF &scenePoint) const;

    void SetShape(int iShape) { m_iShape = iShape; update(); }
    int HandleShape() const { return m_iShape; }
    void SetSize(int iSize) { prepareGeometryChange(); m_iSize = iSize; }
    int Size() const { return m_iSize; }

    double m_dRotation = 0;   // degrees, about m_rotationCentre
    QPointF m_rotationCentre; // scene coordinates
    int m_iDragMode = FreeDrag;
    bool m_bBounded = true;   // stays inside the canvas view while dragged
    int m_iIdentifier = -1;   // free for the owning tool

    QRectF boundingRect() const override;
    QPainterPath shape() const override;
    void paint(QPainter *pPainter, const QStyleOptionGraphicsItem *pOption, QWidget *pWidget) override;

Q_SIGNALS:
    void MouseDown(HandleGraphicsItem *pHandle, QGraphicsSceneMouseEvent *pEvent);
    void MouseMove(HandleGraphicsItem *pHandle, QGraphicsSceneMouseEvent *pEvent);
    void MouseUp(HandleGraphicsItem *pHandle, QGraphicsSceneMouseEvent *pEvent);
    void ContextMenu(HandleGraphicsItem *pHandle, QGraphicsSceneContextMenuEvent *pEvent);
    void Moved(HandleGraphicsItem *pHandle, QGraphicsSceneMouseEvent *pEvent);

protected:
    void mousePressEvent(QGraphicsSceneMouseEvent *pEvent) override;
    void mouseMoveEvent(QGraphicsSceneMouseEvent *pEvent) override;
    void mouseReleaseEvent(QGraphicsSceneMouseEvent *pEvent) override;
    void contextMenuEvent(QGraphicsSceneContextMenuEvent *pEvent) override;

private:
    // The frame's rotation about its centre, scene from frame coordinates.
    QTransform FrameRotation() const;

    QPointF m_lastScenePos;
    QPointF m_centre;
    bool m_bDragging = false;
    int m_iSize = 16;
    int m_iShape = Square;
};
