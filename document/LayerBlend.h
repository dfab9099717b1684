#pragma once
#include <QRect>

class QImage;
class QPainter;

// Blends a layer's straight ARGB32 pixels onto a premultiplied picture.
//
// The toolkit blends most modes one pixel at a time through generic code,
// which makes a deep stack in mixed modes slow to redraw. The functions here
// compute the same integer formulas, to the bit, in loops the compiler
// vectorises. Where they cannot (another target format, a clip, a scaled or
// rotated painter, a mode without a fast loop) Draw() says so and the
// caller lets the painter do it: either way the pixels are the same, so the
// window and export always agree.
namespace LayerBlend {

// Draws source (a part of pixels) at target in pPainter's coordinates with
// the given mode and opacity, if it can; returns false without drawing
// anything otherwise.
bool Draw(QPainter *pPainter, const QPoint &target, const QImage &pixels, const QRect &source, int iMode,
          qreal dOpacity);

// Whether Draw() has a fast loop for this composition mode.
bool HasFastLoop(int iMode);

// One row: n straight ARGB32 pixels over n premultiplied ones, constant
// alpha 0..255 as the painter derives it from its opacity.
void BlendRow(int iMode, quint32 *pDest, const quint32 *pSource, int n, int iConstAlpha);

// The painter's constant alpha for an opacity.
int ConstAlpha(qreal dOpacity);

} // namespace LayerBlend
