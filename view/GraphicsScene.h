#pragma once
#include "LayerScene.h"

#include <QImage>
#include <QPixmap>
#include <QRegion>

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
class GraphicsScene : public LayerScene {
    Q_OBJECT
public:
    explicit GraphicsScene(QObject *pParent = nullptr);

    // Views repaint what is invalidated.
    void Invalidate(const QRectF &area) override;
    void InvalidateAll();


    void WatchText(QObject *pTextItem) override;

    // What is currently up to date (scene coordinates).
    QRegion ValidRegion() const { return m_valid.translated(m_cacheRect.topLeft()); }

private Q_SLOTS:
    void TextChanged();

protected:
    void drawBackground(QPainter *pPainter, const QRectF &rect) override;
    void drawForeground(QPainter *pPainter, const QRectF &rect) override;
    void wheelEvent(QGraphicsSceneWheelEvent *pEvent) override;

private:
    QRectF CheckerRect() const;
    void DrawChecker(QPainter *pPainter, const QRectF &checker);
    void FillChecker(QPainter *pPainter, const QRectF &checker) const;
    // Brings the composed image up to date in area (scene coordinates).
    void Compose(const QRect &area);
    void UpdateCacheRect();

    QPixmap m_tile;
    QImage m_tileImage;
    QImage m_cache; // the checkerboard with m_flat over it: what the view shows
    QImage m_flat;  // the layers composed onto transparency, as export sees them
    QPointF m_checkerOrigin;
    QRegion m_valid; // cache coordinates
};
