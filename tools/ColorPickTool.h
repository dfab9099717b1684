#pragma once
#include "BaseTool.h"

#include <QColor>
#include <QImage>
#include <QPoint>
#include <QPointer>
#include <QSize>

#include <memory>

class QGraphicsPixmapItem;

// Reads colours from the current raster layer while the left button is
// held: the colour under the mouse becomes the palette's colour and a round
// loupe beside the cursor magnifies the pixels around it. Points off the
// canvas pick nothing.
class ColorPickTool : public BaseTool {
    Q_OBJECT
public:
    static constexpr int kLoupeSide = 100;
    // The loupe shows kLoupePixels x kLoupePixels layer pixels, the picked
    // one in the middle.
    static constexpr int kLoupePixels = 11;

    explicit ColorPickTool(ToolContext &context, QObject *pParent = nullptr);
    ~ColorPickTool() override;

    void Activate() override;
    void Deactivate() override;
    QCursor GetCursor() const override;

    bool IsPicking() const { return m_bPicking; }
    QGraphicsPixmapItem *loupe() const { return m_pLoupe.get(); }
    // The colour at a canvas point of the image being read; false (and
    // nothing read) for a point off the canvas.
    bool ColorAt(const QPoint &point, QColor *pColor) const;

public Q_SLOTS:
    void MousePosUpdate(int x, int y, ChildWindow *pWindow) override;
    void MousePress(Qt::MouseButtons buttons, QPoint point, Qt::KeyboardModifiers keys, ChildWindow *pWindow) override;
    void MouseRelease(Qt::MouseButtons buttons, QPoint point, Qt::KeyboardModifiers keys,
                      ChildWindow *pWindow) override;

private:
    void GiveToPaintingTools(const QColor &color);
    void Pick(const QPoint &point);
    void ShowLoupe(const QPoint &point, ChildWindow *pWindow);
    void HideLoupe();

    bool m_bPicking = false;
    // The last colour picked during this press (invalid: none).
    QColor m_picked;
    QImage m_image;       // the layer's pixels at the press (straight ARGB32)
    QPoint m_origin;      // where the image's top-left lies on the canvas
    QSize m_canvas;
    QSize m_cursorSize{16, 16};
    std::unique_ptr<QGraphicsPixmapItem> m_pLoupe;
};
