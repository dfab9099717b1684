#pragma once
#include "BrushColorizer.h"
#include "DabPlacer.h"

#include <QColor>
#include <QImage>
#include <QPointer>
#include <QRect>
#include <memory>

class CQBrush;
class ProgramCache;
class QPainter;

// Paints one brush along the mouse path: the tip scaled to the stroke's size
// and coloured on the device, dabs placed by DabPlacer and drawn with the
// painter handed in (the document's stroke buffer). Each call returns the
// rectangle its dabs changed, which is what the caller commits to the layer.
// The brush is borrowed: when it is deleted the stroke paints nothing until
// it is given another.
class BrushStroke
{
public:
    explicit BrushStroke(ProgramCache &cache);
    ~BrushStroke();

    // Builds the colouring kernel; the first Press() does it too. Until then
    // the tip is coloured on the host, to the same pixels: choosing the
    // brush at start-up waits for no kernel. False when the brushBlend
    // kernel is missing; errorText() says why.
    bool Prepare();
    // False once Prepare() found the kernel missing.
    bool isValid() const { return !m_pColorizer || m_pColorizer->isValid(); }
    QString errorText() const { return m_pColorizer ? m_pColorizer->errorText() : QString(); }

    void SetBrush(CQBrush *pBrush);
    CQBrush *Brush() const { return m_pBrush; }
    // The dab size in pixels (at least 1); the tip is scaled to size x size.
    void SetSize(int iSize);
    int Size() const { return m_iSize; }
    void SetColor(const QColor &color);
    QColor Color() const { return m_color; }

    // The scaled tip in the colour of the last dab (the stroke colour
    // outside strokes with colour jitter), straight ARGB32: what the tool
    // button and the cursor show.
    QImage ColoredTip() const { return m_colored; }

    // Starts a stroke: one unrotated dab at `point`. Returns its rectangle.
    QRect Press(QPainter &painter, QPoint point);
    // Continues it to `point`: returns the union of the rectangles the new
    // dabs covered (rotated dabs included), empty when none was placed.
    QRect MoveTo(QPainter &painter, QPoint point);
    QPoint LastPoint() const { return m_lastPoint; }

private:
    void Rescale();
    void Recolor(const QColor &color);
    QRect Draw(QPainter &painter, const Dab &dab);

    ProgramCache &m_cache;
    std::unique_ptr<BrushColorizer> m_pColorizer;
    DabPlacer m_placer;
    QPointer<CQBrush> m_pBrush;
    qint64 m_tipKey = 0;
    int m_iSize = 10;
    QColor m_color = Qt::black;
    QImage m_scaled;
    QImage m_colored;     // straight, for showing
    QImage m_coloredDraw; // premultiplied, for drawing
    QColor m_coloredWith;
    QPoint m_lastPoint;
};
