#pragma once
#include "FloodTool.h"

#include <QColor>
#include <QMetaObject>

// Floods a connected area of similar colour on the current raster layer with
// the fill colour: inside the selection only (a feathered selection softens
// the edge), one undo step per click.
class FillTool : public FloodTool {
    Q_OBJECT
public:
    using FloodTool::FloodTool;

    void Activate() override;
    void Deactivate() override;
    QColor FillColor() const;
    // What a fill without option bar uses (and the swatch's colour otherwise).
    void SetFillColor(const QColor &color) { m_color = color; }
    void SetTolerance(int iTolerance) { m_iTolerance = iTolerance; }

public Q_SLOTS:
    void MousePress(Qt::MouseButtons buttons, QPoint point, Qt::KeyboardModifiers keys, ChildWindow *pWindow) override;
    void ColorPickerChanged(const QColor &color);

private:
    static constexpr int kDefaultTolerance = 128;
    int m_iTolerance = kDefaultTolerance;
    QColor m_color = Qt::black;
    QPointer<QWidget> m_pSwatch;
    QMetaObject::Connection m_colorConnection;
};
