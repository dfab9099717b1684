#pragma once
#include <QImage>
#include <QPoint>
#include <QRegion>

class PixmapLayer;
class QPainter;

// The state of one edit through the painting protocol: the layer's pixels
// when it began (the base image), what the tool draws (the stroke buffer) and,
// for accumulating tools, the soft-masked stroke so far.
//
// Base and layer pixels are straight ARGB32; the buffers tools draw into are
// premultiplied, as the painter likes them.
class PaintSession {
public:
    PaintSession() = default;
    ~PaintSession();
    PaintSession(const PaintSession &) = delete;
    PaintSession &operator=(const PaintSession &) = delete;

    // The base image is the layer's image, or for a moved layer the part of
    // it that lies on a canvas of the given size, transparent elsewhere.
    void Begin(PixmapLayer *pLayer, const QSize &canvas, bool bAccumulate);
    // An edit of all the layer's own pixels, also those off the canvas: the
    // base image is the layer's image, and areas, selections and masks
    // given in canvas coordinates are moved onto it.
    void BeginOwnPixels(PixmapLayer *pLayer);
    QPainter *BeginStroke();
    // pMask: the feathered selection mask, or null for a hard selection.
    void Commit(const QRect &requested, const QRegion &selection, const QImage *pMask);
    // `requested` empty: the whole image.
    void CommitResult(const QImage &result, const QRect &requested, const QRegion &selection, const QImage *pMask);
    // Like Commit(), but the stroke's alpha takes alpha away from the base.
    void CommitErase(const QRect &requested, const QRegion &selection, const QImage *pMask);
    // Ends the edit; returns the layer that was painted (or null).
    PixmapLayer *End();

    PixmapLayer *layer() const { return m_pLayer; }
    QImage &strokeBuffer();
    const QImage &baseImage() const { return m_base; }

private:
    void ClosePainter();
    void ClearStaleStroke();
    using Combine = void (*)(const QImage &, const QImage &, QImage &, const QRect &, const QPoint &);
    void CommitWith(Combine combine, const QRect &requested, const QRegion &selection, const QImage *pMask);
    // Where the layer's image sits in base coordinates.
    QPoint LayerOrigin() const;
    // Canvas coordinates to base coordinates: moved by this.
    QPoint CanvasToBase() const { return m_bOwnPixels ? -m_ownOrigin : QPoint(); }
    // The selection and mask moved from the canvas onto the base image.
    QRegion OnBase(const QRegion &selection) const { return selection.translated(CanvasToBase()); }
    const QImage *OnBase(const QImage *pMask);
    QRect AreaOnBase(const QRect &requested) const;
    void Repaint(const QRect &area);

    PixmapLayer *m_pLayer = nullptr;
    QImage m_base;
    QImage m_stroke;
    QImage m_accum;
    QPainter *m_pPainter = nullptr;
    bool m_bAccumulate = false;
    // The stroke buffer still holds an earlier edit's drawing: it is
    // cleared when first used, so edits that only commit results skip it.
    bool m_bStrokeStale = false;
    // BeginOwnPixels: the layer's position when the edit began, and the
    // selection mask moved onto the layer (made when first needed).
    bool m_bOwnPixels = false;
    QPoint m_ownOrigin;
    QImage m_ownMask;
    qint64 m_iOwnMaskKey = 0;
};
