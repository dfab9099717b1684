#pragma once
// A hue wheel with three handles: the target hue, and the start and end of
// a range of source hues. Angles are degrees counter-clockwise from three
// o'clock (screen y pointing down), 0 up to but not including 360.
#include <QWidget>

class HueModifyWidget : public QWidget
{
    Q_OBJECT
public:
    explicit HueModifyWidget(QWidget *pParent = nullptr);

    qreal Hue() const { return m_angles[kHue]; }
    qreal RangeStart() const { return m_angles[kStart]; }
    qreal RangeEnd() const { return m_angles[kEnd]; }
    // Counter-clockwise from the start line to the end line, 0..360.
    qreal RangeSpan() const;

    void SetHue(qreal dDegrees);
    void SetRange(qreal dStart, qreal dSpan);

    // The angle of `point` seen from the centre.
    qreal AngleAt(const QPointF &point) const;
    // Where a handle sits (for pointing at it).
    QPointF HandlePosition(int iHandle) const;

    enum Handle { kHue, kStart, kEnd };

    QSize sizeHint() const override { return QSize(200, 200); }

Q_SIGNALS:
    void HueChanged(qreal dHue);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    QPointF Centre() const;
    qreal Radius() const;
    qreal HandleRadius(int iHandle) const;

    qreal m_angles[3] = {0, 0, 60};
    int m_pressed = -1;
};
