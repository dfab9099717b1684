#pragma once
#include "RubberBandTool.h"

#include <QBrush>
#include <QPen>
#include <QPointer>
#include <QRect>

class QComboBox;

// Draws a rectangle, a rounded rectangle or an ellipse spanning the press
// and the mouse, outlined, filled or both, redrawn from the layer as it was
// at every movement; one undo step. The palette's colours go to the fill
// swatch until the line swatch is clicked, and then to the line swatch.
class RectangleTool : public RubberBandTool {
    Q_OBJECT
public:
    enum Shape { Plain = 0, Rounded = 1, Ellipse = 2 };

    RectangleTool(ToolContext &context, int iShape, QObject *pParent = nullptr);

    void Activate() override;
    void Deactivate() override;
    void FinishGesture() override;
    const QPen &pen() const { return m_pen; }
    const QBrush &brush() const { return m_brush; }
    bool outline() const { return m_bOutline; }
    bool fill() const { return m_bFill; }
    // The shape as drawn in `rect` with the tool's settings (no clipping).
    void DrawShape(QPainter &painter, const QRect &rect) const;

public Q_SLOTS:
    void MousePosUpdate(int x, int y, ChildWindow *pWindow) override;
    void MousePress(Qt::MouseButtons buttons, QPoint point, Qt::KeyboardModifiers keys, ChildWindow *pWindow) override;
    void MouseRelease(Qt::MouseButtons buttons, QPoint point, Qt::KeyboardModifiers keys,
                      ChildWindow *pWindow) override;
    void PenWidthChanged(const QString &width);
    void PenStyleChanged(int iIndex);
    void FillOutlineChanged(const QString &option);
    void ColorPickerChanged(const QColor &color);
    void SwatchSelected(QWidget *pSwatch);

protected:
    void ShapeLayerSwitched() override;

private:
    void TakeSwatchColors();
    void Draw();
    QString OperationName() const;

    bool m_bDrawing = false;
    bool m_bMoved = false;
    QPointer<QComboBox> m_pStyleBox;
    QPointer<QComboBox> m_pWidthBox;
    QPointer<QComboBox> m_pFillBox;
    QRect m_rect;
    QPen m_pen;
    QBrush m_brush{Qt::SolidPattern};
    bool m_bOutline = true;
    bool m_bFill = true;
    QPointer<QWidget> m_pFillSwatch;
    QPointer<QWidget> m_pLineSwatch;
    QPointer<QWidget> m_pCurrentSwatch;
    QPoint m_anchor;
    int m_iShape;
    QList<QMetaObject::Connection> m_connections;
};
