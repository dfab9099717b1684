#pragma once
#include "LayerScene.h"

#include <QImage>
#include <QPixmap>
#include <QRegion>
#include <QTimer>

class QGraphicsItem;

// The document's scene: draws the transparency checkerboard under the layers.
//
// The layers are composed onto transparency, as export composes them, and
// only that picture is shown over the checkerboard: blending modes never see
// the checkerboard. Blending a deep stack is slow (the toolkit's generic
// composition modes cost many milliseconds a layer), so the scene keeps the
// composed picture and only composes again what was invalidated. Layers report their changes through Invalidate(); while the
// scene draws, they paint themselves only where the composed image does not
// reach (see LayerArea()).
//
// A view showing the canvas at half size or less gets a picture composed at
// 1/2, 1/4, ... of each side from block averages of the layers: a picture
// at the size limit shows at "fit" without composing (or keeping) every one
// of its pixels. While the window is idle, the rest of a reduced picture
// of moderate size is composed a band at a time, so that panning over it
// only draws.
class GraphicsScene : public LayerScene {
    Q_OBJECT
public:
    explicit GraphicsScene(QObject *pParent = nullptr);

    // Views repaint what is invalidated.
    void Invalidate(const QRectF &area) override;
    void InvalidateAll();


    void WatchText(QObject *pTextItem) override;

    // What is currently up to date at full size (scene coordinates).
    QRegion ValidRegion() const { return m_valid.translated(m_cacheRect.topLeft()); }
    // The reduced picture last drawn (1/2^level of each side; null while
    // views showed full size) and its up-to-date part, in its own pixels.
    const QImage &ReducedPicture() const { return m_reduced; }
    int ReducedLevel() const { return m_iLevel; }
    QRegion ReducedValidRegion() const { return m_reducedValid; }

private Q_SLOTS:
    void TextChanged();
    // Composes the next band of the reduced picture that no view showed yet.
    void ComposeAhead();

protected:
    void drawBackground(QPainter *pPainter, const QRectF &rect) override;
    void drawForeground(QPainter *pPainter, const QRectF &rect) override;
    void wheelEvent(QGraphicsSceneWheelEvent *pEvent) override;

private:
    QRectF CheckerRect() const;
    void DrawChecker(QPainter *pPainter, const QRectF &checker);
    // The checkerboard's squares scaled by `scale`.
    void FillChecker(QPainter *pPainter, const QRectF &checker, qreal scale) const;
    // Brings the picture of the given level (0: full size) up to date in
    // area (scene coordinates) and returns it.
    const QImage &Compose(const QRect &area, int iLevel);
    void UpdateCacheRect();

    QPixmap m_tile;
    QImage m_tileImage;
    // The layers composed onto transparency (as export sees them) over the
    // checkerboard: what the view shows.
    QImage m_cache;
    QPointF m_checkerOrigin;
    QRegion m_valid; // cache coordinates
    QImage m_reduced;
    int m_iLevel = 0;
    QRegion m_reducedValid; // m_reduced's pixels
    QTimer m_ahead;
};
