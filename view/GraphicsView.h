#pragma once
#include <QGraphicsView>

// The document's view. The plain wheel is left to the scroll area (which
// scrolls) and the document window; Ctrl+wheel is the window's to zoom, also
// where the scroll area could still scroll.
class GraphicsView : public QGraphicsView {
    Q_OBJECT
public:
    explicit GraphicsView(QWidget *pParent = nullptr);

Q_SIGNALS:
    void MouseDown(QMouseEvent *pEvent);
    void MouseUp(QMouseEvent *pEvent);
    void MouseMove(QMouseEvent *pEvent);
    void KeyPress(QKeyEvent *pEvent);
    void ControlWheel(QWheelEvent *pEvent);

protected:
    void mousePressEvent(QMouseEvent *pEvent) override;
    void mouseReleaseEvent(QMouseEvent *pEvent) override;
    void mouseMoveEvent(QMouseEvent *pEvent) override;
    void keyPressEvent(QKeyEvent *pEvent) override;
    void wheelEvent(QWheelEvent *pEvent) override;
};
