#pragma once
#include <QColor>
#include <QPixmap>
#include <QPoint>
#include <QWidget>

// The hue and saturation disc of the palette. Hue runs counter-clockwise
// from the 3 o'clock direction, saturation from the centre out; lightness
// and alpha come from the panel's sliders.
class ColorWheel : public QWidget
{
    Q_OBJECT
public:
    explicit ColorWheel(QWidget *pParent = nullptr);

    QColor Color() const { return m_color; }
    // Shows a colour (marker included) without emitting ColorChanged.
    void SetColor(const QColor &color);
    void SetLightness(double dLightness);
    void SetAlpha(double dAlpha);
    double Lightness() const { return m_dLightness; }
    double Alpha() const { return m_dAlpha; }

    // The hue (0..1) and saturation (0 within 6 pixels of the centre, 1 at
    // the rim and beyond) of a point, for a wheel of the given size.
    static void Pick(QPoint point, QSize size, double *pHue, double *pSaturation);

Q_SIGNALS:
    void ColorChanged(QColor color);

protected:
    void paintEvent(QPaintEvent *pEvent) override;
    void resizeEvent(QResizeEvent *pEvent) override;
    void mousePressEvent(QMouseEvent *pEvent) override;
    void mouseMoveEvent(QMouseEvent *pEvent) override;

private:
    void PickAt(QPoint point);
    void UpdateColor();
    int Radius() const;

    QPixmap m_wheel;
    QPoint m_marker;
    QColor m_color;
    double m_dHue = 0;
    double m_dSaturation = 0;
    double m_dLightness = 0.5;
    double m_dAlpha = 1.0;
};
