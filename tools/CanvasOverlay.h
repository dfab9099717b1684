#pragma once
#include <QObject>
#include <QPointF>
#include <QPointer>

class ChildWindow;
class GraphicsView;
class QGraphicsScene;

// The document window's transparent overlay, laid over the visible part of
// the canvas for a tool that works in screen pixels (the move tool's frame
// and handles). Its scene coordinates are the overlay's own pixels; the
// mapping to canvas pixels follows zoom, scrolling and resizing, and
// Changed() tells the tool when to lay its items out again.
class CanvasOverlay : public QObject {
    Q_OBJECT
public:
    explicit CanvasOverlay(QObject *pParent = nullptr);
    ~CanvasOverlay() override;

    // Shows the window's overlay over its canvas (and takes it off any
    // window it covered before).
    void Attach(ChildWindow *pWindow);
    void Detach();
    ChildWindow *window() const;
    GraphicsView *view() const;
    QGraphicsScene *scene() const;

    QPointF FromCanvas(const QPointF &canvasPoint) const;
    QPointF ToCanvas(const QPointF &overlayPoint) const;
    double Zoom() const;

Q_SIGNALS:
    void Changed();

protected:
    bool eventFilter(QObject *pObject, QEvent *pEvent) override;

private:
    void Fit();
    QPointF Offset() const;

    QPointer<ChildWindow> m_pWindow;
};
