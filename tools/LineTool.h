#pragma once
#include "RubberBandTool.h"

#include <QLineF>
#include <QPen>
#include <QPointer>

class QComboBox;

// Draws a straight line from the press to the mouse, redrawn from the layer
// as it was at every movement, in the colour of its swatch; one undo step.
// The pen's style, cap and width last for the whole run.
class LineTool : public RubberBandTool {
    Q_OBJECT
public:
    explicit LineTool(ToolContext &context, QObject *pParent = nullptr);

    void Activate() override;
    void Deactivate() override;
    void FinishGesture() override;
    QCursor GetCursor() const override;
    const QPen &pen() const { return m_pen; }

public Q_SLOTS:
    void MousePosUpdate(int x, int y, ChildWindow *pWindow) override;
    void MousePress(Qt::MouseButtons buttons, QPoint point, Qt::KeyboardModifiers keys, ChildWindow *pWindow) override;
    void MouseRelease(Qt::MouseButtons buttons, QPoint point, Qt::KeyboardModifiers keys,
                      ChildWindow *pWindow) override;
    void PenWidthChanged(const QString &width);
    void PenStyleChanged(int iIndex);
    void PenCapChanged(int iIndex);
    void ColorPickerChanged(const QColor &color);

protected:
    void ShapeLayerSwitched() override;

private:
    void DrawLine();

    QPointer<QComboBox> m_pStyleBox;
    QPointer<QComboBox> m_pWidthBox;
    QPointer<QComboBox> m_pCapBox;
    QLineF m_line;
    QPen m_pen;
    bool m_bDrawing = false;
    QPointer<QWidget> m_pSwatch;
    QMetaObject::Connection m_colorConnection;
};
