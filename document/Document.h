#pragma once
#include <QImage>
#include <QList>
#include <QObject>
#include <QPainterPath>
#include <QRegion>
#include <QSize>
#include <QString>

#include "DocumentEnv.h"

#include <functional>
#include <memory>

class Layer;
class PaintSession;
class Path;
class PixmapLayer;
class QPainter;
class QUndoStack;
class ScratchDB;
class TextLayer;
struct TextTyping;

// What a document is, with no widget behind it: the canvas, the layer stack
// and its order, the current layer, the selection, the paths, the history,
// the file name and whether it was changed since it was saved.
//
// Windows and panels observe its signals; commands, tools and filters change
// it through its operations, so all of them work headless too.
class Document : public QObject {
    Q_OBJECT
public:
    Document(const QSize &canvasSize, const DocumentEnv &env, QObject *pParent = nullptr);
    // Only the store: no feathering, layer styles on the host.
    Document(const QSize &canvasSize, ScratchDB &store, QObject *pParent = nullptr);
    ~Document() override;

    const DocumentEnv &env() const { return m_env; }
    ScratchDB &store() const { return m_env.store; }
    QUndoStack *undoStack() const { return m_pUndoStack; }
    // A store item nothing else releases (a snapshot adopted from a file):
    // it goes with the document, as its layers' first snapshots do.
    void OwnItem(int iId) { m_ownItems.append(iId); }

    // --- Canvas ---------------------------------------------------------------
    QSize canvasSize() const { return m_canvasSize; }
    void SetCanvasSize(const QSize &size);
    // Scales every raster layer, deleted ones included, then the canvas.
    void ScaleImage(const QSize &size);

    // --- Layers -----------------------------------------------------------------
    // A new layer of the canvas size named "New Layer", stacked on top and made
    // current. Raster layers register their first snapshot with the store.
    Layer *CreateLayer(int iKind);
    // A raster layer that holds these pixels from the start (a file's layer):
    // nothing the size of the canvas is made for it.
    Layer *CreateLayer(const QImage &pixels);
    // Every layer in ascending z order, or only those not deleted.
    QList<Layer *> GetLayers(bool bExcludeDeleted = false) const;
    int CountLayers() const;

    Layer *CurrentLayer() const { return m_pCurrent; }
    void SetCurrentLayer(Layer *pLayer);
    // The current layer if it is a raster layer.
    PixmapLayer *CurrentRasterLayer() const;

    // Rows as the layers panel lists them: the layers not deleted, topmost first.
    int RowOf(const Layer *pLayer) const;
    Layer *LayerAtRow(int iRow) const;
    // Moves a layer to a row; the shown layers share out the z values they
    // hold, highest at the top, so every move is exactly undoable.
    void MoveLayer(Layer *pLayer, int iRow);

    // Called by the layers themselves when they change.
    void NotifyLayerChanged(Layer *pLayer);
    // A text layer ended a stretch of typing (see TypingFinished).
    void NotifyTyping(TextLayer *pLayer, const TextTyping &typing);
    void NotifyPixelsChanged(Layer *pLayer);
    void NotifyDeletedChanged(Layer *pLayer);
    // A layer's z value changed: the list is put in order again when next read.
    void NotifyOrderChanged();

    // --- Selection --------------------------------------------------------------
    QRegion Selection() const { return m_selection; }
    void SetSelection(const QRegion &region);
    // Traced on first use after a change: a wand selection of a photo has
    // millions of edges, and the window draws its outline from the region.
    const QPainterPath &SelectionPath() const;
    bool FeatherEnabled() const { return m_bFeather; }
    int FeatherRadius() const { return m_iFeatherRadius; }
    void SetFeather(bool bOn);
    void SetFeatherRadius(int iRadius);
    // Canvas-sized, alpha = selection strength; null unless feathering is on
    // and something is selected.
    const QImage &SelectionMask() const { return m_selectionMask; }
    // The softened shape drawn into SelectionPath()'s control-point rectangle.
    const QImage &FeatheredImage() const { return m_featheredImage; }
    // The mask redrawn after the move-selection tool shifted the outline.
    void RedrawMaskForMovedOutline();

    // --- Paths --------------------------------------------------------------------
    const QList<Path *> &paths() const { return m_paths; }
    void AddPath(Path *pPath);
    // Removes and deletes the path.
    void DeletePath(Path *pPath);
    // Puts a path at a place in the list (clamped), or takes it out without
    // deleting it (its former index, -1 when it was not there): what undo
    // needs to bring a path back where it was.
    void InsertPath(int iIndex, Path *pPath);
    int TakePath(Path *pPath);
    // A path's points changed (not the list): views of it redraw.
    void NotifyPathChanged(Path *pPath);

    // --- File and modified state ------------------------------------------------------
    QString FileName() const { return m_fileName; }
    // Stores the path and marks the current state as the saved one.
    void SetFileName(const QString &path);
    // The current state is the saved one (undoing back to it clears the mark).
    void MarkSaved();
    bool IsModified() const;

    // --- Painting protocol ------------------------------------------------------------
    // Edits begin from the layer's pixels at BeginPaint (the current raster
    // layer unless one is given); every commit starts again from them and
    // keeps the edit inside the selection.
    void BeginPaint(bool bAccumulate, PixmapLayer *pLayer = nullptr);
    // What filters edit: all the layer's own pixels (also those off the
    // canvas) as the base image, with the selection, its mask and commit
    // areas moved from the canvas onto the layer.
    void BeginOwnPixels(PixmapLayer *pLayer);
    QPainter *BeginStroke();
    // Draws the stroke buffer's part `area` (canvas coordinates; empty = the
    // whole canvas) over the base image into the layer.
    void CommitStroke(const QRect &area = QRect());
    // Takes alpha away from the base image where the stroke buffer has
    // alpha (an eraser's stroke), within the selection.
    void CommitErase(const QRect &area = QRect());
    // Replaces the base image's pixels inside the selection by `result`
    // (straight ARGB32, canvas-sized): what a filter's result does.
    // Only `area` (canvas coordinates) when one is given.
    void CommitResult(const QImage &result, const QRect &area = QRect());
    void EndPaint();
    QImage &StrokeBuffer();
    const QImage &BaseImage() const;
    PixmapLayer *PaintLayer() const;

    // --- Rendering ---------------------------------------------------------------------
    // Draws every visible layer that is not deleted, in z order, as export sees it.
    void RenderTo(QPainter *pPainter) const;
    // The document flattened onto a transparent canvas-sized ARGB32 image.
    QImage Flattened() const;

Q_SIGNALS:
    void LayerAdded(Layer *pLayer);     // created, or brought back by undo
    void LayerRemoved(Layer *pLayer);   // deleted (kept for undo) or destroyed
    void LayersReordered();
    void LayerChanged(Layer *pLayer);   // name, opacity, blending, visibility, position
    void LayerPixelsChanged(Layer *pLayer);
    // Typing in a text layer ended; the window that took the keys records it.
    void TypingFinished(TextLayer *pLayer, const TextTyping &typing);
    void CurrentLayerChanged(Layer *pLayer);
    void SelectionChanged();
    void CanvasResized(const QSize &size);
    void PathsChanged();
    void PathChanged(Path *pPath);
    void FileNameChanged(const QString &path);
    void ModifiedChanged(bool bModified);
    // The document is about to be destroyed; observers let go of its layers.
    void Closing();

private:
    // Names, stacks, registers and makes current a layer just made.
    Layer *AddLayer(Layer *pLayer);
    // The layer list, in ascending z order (sorted lazily: a document being
    // read sets thousands of z values in a row).
    const QList<Layer *> &Ordered() const;
    void BuildFeatheredMask();
    void PickCurrentAfterRemoval(Layer *pRemoved);
    // The feathered mask while it shapes painting, else null.
    const QImage *PaintMask() const;

    DocumentEnv m_env;
    QUndoStack *m_pUndoStack;
    QSize m_canvasSize;
    mutable QList<Layer *> m_layers;
    QList<int> m_ownItems; // store items released with the document
    mutable bool m_bOrderDirty = false;
    bool m_bReordering = false;
    Layer *m_pCurrent = nullptr;
    QList<Path *> m_paths;
    QString m_fileName;

    QRegion m_selection;
    mutable QPainterPath m_selectionPath;
    mutable bool m_bSelectionPathStale = false;
    bool m_bFeather = false;
    int m_iFeatherRadius = 1;
    QImage m_featheredImage;
    QImage m_selectionMask;

    std::unique_ptr<PaintSession> m_pPaint;
    bool m_bDestroying = false;
};
