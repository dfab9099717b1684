#pragma once
#include <QGraphicsItem>
#include <QRect>
#include <QSize>

// What the crop tool draws over the canvas: the part outside the box
// darkened, the box's outline and the composition guides inside it. Lines
// are one screen pixel wide at every zoom.
class CropShadeItem : public QGraphicsItem {
public:
    enum Guide { NoGuide = 0, Thirds = 1, Grid = 2, Diagonal = 3 };

    CropShadeItem();

    void SetCanvas(const QSize &canvas);
    void SetBox(const QRect &box);
    void SetGuide(int iGuide);
    QRect Box() const { return m_box; }

    QRectF boundingRect() const override;
    void paint(QPainter *pPainter, const QStyleOptionGraphicsItem *pOption, QWidget *pWidget) override;

private:
    QSize m_canvas;
    QRect m_box;
    int m_iGuide = NoGuide;
};
