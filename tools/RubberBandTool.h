#pragma once
#include "BaseTool.h"
#include "Document.h"

#include <QPointer>
#include <QRegion>

#include <functional>

class PixmapLayer;
class QPainter;

// The family of tools that draw one shape from the layer as it was at the
// press (line, rectangles, gradient): every redraw replaces the previous
// shape, only the pixels the old or the new shape reach go back to the
// layer, and the end records one snapshot when a shape is shown. The
// painting state belongs to the document it was opened on, so a switch of
// document or tool can still finish it there.
class RubberBandTool : public BaseTool {
    Q_OBJECT
public:
    using BaseTool::BaseTool;

protected:
    // Opens the painting state on the layer of the window's document.
    void BeginShape(ChildWindow *pWindow, PixmapLayer *pLayer);
    bool IsShaping() const { return !m_pDocument.isNull(); }
    Document *ShapeDocument() const { return m_pDocument; }
    bool IsShowingShape() const { return !m_shown.isEmpty(); }

    enum class Cover {
        // `draw` paints over transparency; the previous shape goes first.
        Over,
        // `draw` sets every pixel of the reach (it paints in the composition
        // mode Source): only the previous shape's pixels outside it go.
        Whole,
        // Like Whole, but the previous shape outside the reach stays too: a
        // live preview of the part the window shows, completed by a later
        // Whole redraw.
        Part
    };
    // Draws the shape anew: `draw` paints within `reach` (canvas
    // coordinates; the painter is clipped to it, antialiasing on).
    void Redraw(const QRegion &reach, const std::function<void(QPainter &)> &draw, Cover eCover = Cover::Over);
    // The layer as it was: no shape.
    void Clear();
    // Ends the painting state; when a shape is shown, pushes one snapshot
    // "<operation> - <layer name>" and returns true.
    bool Finish(const QString &operation);
    // Ends the painting state with the layer as it was; records nothing.
    void Cancel();

    // The current layer of the shaping document changed while shaping.
    virtual void ShapeLayerSwitched() = 0;

private:
    QPointer<Document> m_pDocument;
    PixmapLayer *m_pLayer = nullptr;
    QRegion m_shown; // what the shown shape reaches
    QMetaObject::Connection m_layerConnection;
};
