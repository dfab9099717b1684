#pragma once
#include <QGraphicsView>

// The document's view. Wheel events are left to the scroll area and the
// document window so that Ctrl+wheel zooms and the plain wheel scrolls.
class GraphicsView : public QGraphicsView {
    Q_OBJECT
public:
    explicit GraphicsView(QWidget *pParent = nullptr);

Q_SIGNALS:
    void MouseDown(QMouseEvent *pEvent);
    void MouseUp(QMouseEvent *pEvent);
    void MouseMove(QMouseEvent *pEvent);
    void KeyPress(QKeyEvent *pEvent);

protected:
    void mousePressEvent(QMouseEvent *pEvent) override;
    void mouseReleaseEvent(QMouseEvent *pEvent) override;
    void mouseMoveEvent(QMouseEvent *pEvent) override;
    void keyPressEvent(QKeyEvent *pEvent) override;
    void wheelEvent(QWheelEvent *pEvent) override;
};
