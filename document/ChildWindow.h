#pragma once
#include <QImage>
#include <QList>
#include <QPainterPath>
#include <QPixmap>
#include <QRegion>
#include <QTimer>
#include <QTransform>
#include <QWidget>

#include <memory>

class Feather;
class GraphicsScene;
class GraphicsView;
class Layer;
class Path;
class PixmapLayer;
class ProgramCache;
class QGraphicsPathItem;
class QGraphicsPixmapItem;
class QGraphicsScene;
class QGraphicsSceneMouseEvent;
class QMdiSubWindow;
class QScrollArea;
class QUndoStack;

namespace Ui { class ChildWindow; }

// One open document: canvas, layers, paths, selection, history and view.
// Tools and filters edit the current raster layer through the painting
// protocol (BeginPaint, BeginStroke, CommitStroke, EndPaint), which keeps
// every edit inside the selection.
class ChildWindow : public QWidget {
    Q_OBJECT
public:
    ChildWindow(QWidget *pParent, const QSize &canvasSize);
    ~ChildWindow() override;

    Layer *CreateLayer(int iKind);
    QList<Layer *> GetLayers(bool bExcludeDeleted = false) const;
    int CountLayers() const;
    void RefreshLayerPanel();
    void Activate();

    void SetCanvasSize(const QSize &size);
    void ScaleImage(const QSize &size);
    bool LoadImageAsLayer(const QString &fileName);

    void SetSelection(const QRegion &region);
    QRegion Selection() const { return m_selection; }
    void SelectAll();
    void SelectNone();
    void SelectInverse();
    void SetFeather(bool bOn);
    void SetFeatherRadius(int iRadius);
    bool FeatherEnabled() const { return m_bFeather; }
    int FeatherRadius() const { return m_iFeatherRadius; }
    void MoveSelectionOutline(const QPointF &offset);
    QPixmap SelectionMask() const { return m_selectionMask; }
    const QPainterPath &SelectionPath() const { return m_selectionPath; }

    void SetZoom(double dPercent);
    void ZoomBy(double dPoints);
    double ZoomFactor() const { return m_dZoom; }

    // The painting protocol. The current layer is the layers panel's current
    // layer unless a layer is given explicitly (tests, filters on a layer).
    void BeginPaint(bool bAccumulate, PixmapLayer *pLayer = nullptr);
    QPainter *BeginStroke();
    void CommitStroke(const QRect &area = QRect());
    void EndPaint();
    QPixmap &StrokeBuffer() { return m_strokeBuffer; }
    const QPixmap &BaseImage() const { return m_baseImage; }

    // Draws every visible layer that is not deleted, in z order, as export sees it.
    void RenderTo(QPainter *pPainter);
    // The document flattened onto a transparent canvas-sized ARGB32 image, as exported.
    QImage Flattened();

    void SetFileName(const QString &path);
    QString FileName() const { return m_fileName; }

    QUndoStack *undoStack() const { return m_pUndoStack; }
    GraphicsScene *scene() const { return m_pScene; }
    GraphicsView *view() const { return m_pView; }
    QScrollArea *scrollArea() const { return m_pScrollArea; }
    GraphicsView *overlayView() const { return m_pOverlayView; }
    QGraphicsScene *overlayScene() const { return m_pOverlayScene; }
    QSize canvasSize() const { return m_canvasSize; }
    QList<Path *> &paths() { return m_paths; }
    QMdiSubWindow *subWindow() const { return m_pSubWindow; }
    void setSubWindow(QMdiSubWindow *p) { m_pSubWindow = p; }
    void setProgramCache(ProgramCache *pCache) { m_pProgramCache = pCache; }
    QString ZoomText() const;

Q_SIGNALS:
    void MousePosUpdate(int x, int y, ChildWindow *pWindow);
    void MousePress(QGraphicsSceneMouseEvent *pEvent, QPoint point, ChildWindow *pWindow);
    void MouseRelease(QGraphicsSceneMouseEvent *pEvent, QPoint point, ChildWindow *pWindow);
    void MouseWheel(int iDelta, ChildWindow *pWindow);
    void KeyPress(QKeyEvent *pEvent);
    void KeyRelease(QKeyEvent *pEvent);
    void SelectionChanged();
    void ZoomChanged();
    // Texts for the main window's status bar.
    void ZoomTextChanged(const QString &text);
    void CanvasSizeChanged(const QSize &size);

public Q_SLOTS:
    void NewLayerSlot();
    void DeleteLayerSlot(Layer *pLayer);
    void UpdateLayerZOrder();
    void UndoStackChanged(int iIndex);
    void MarchingAntsTimer();

protected:
    bool eventFilter(QObject *pObject, QEvent *pEvent) override;
    void keyPressEvent(QKeyEvent *pEvent) override;
    void keyReleaseEvent(QKeyEvent *pEvent) override;
    void wheelEvent(QWheelEvent *pEvent) override;
    void closeEvent(QCloseEvent *pEvent) override;
    void dragEnterEvent(QDragEnterEvent *pEvent) override;
    void dropEvent(QDropEvent *pEvent) override;

private:
    bool isCurrentDocument() const;
    void ApplyZoom(double dFactor);
    void BuildFeatheredMask();
    QImage FeatherImage(const QImage &source);
    PixmapLayer *CurrentRasterLayer() const;

    Ui::ChildWindow *m_pUi;
    QSize m_canvasSize;
    GraphicsScene *m_pScene;
    QList<Layer *> m_layers;
    QList<Path *> m_paths;
    QUndoStack *m_pUndoStack;
    double m_dZoom = 1.0;
    QTransform m_viewTransform;
    QRegion m_selection;
    QPainterPath m_selectionPath;
    QGraphicsPathItem *m_pOutlineA;
    QGraphicsPathItem *m_pOutlineB;
    QTimer m_antsTimer;
    bool m_bAntsPhase = false;
    GraphicsView *m_pView;
    QScrollArea *m_pScrollArea;
    QString m_fileName;
    QPixmap m_baseImage;
    QPixmap m_accumBuffer;
    QPixmap m_strokeBuffer;
    QPainter *m_pStrokePainter = nullptr;
    bool m_bAccumulate = false;
    PixmapLayer *m_pPaintLayer = nullptr;
    std::unique_ptr<Feather> m_pFeather;
    QPixmap m_selectionMask;
    QImage m_featheredImage;
    int m_iFeatherRadius = 1;
    bool m_bFeather = false;
    QGraphicsPixmapItem *m_pMaskOverlay;
    QGraphicsScene *m_pOverlayScene;
    GraphicsView *m_pOverlayView;
    QMdiSubWindow *m_pSubWindow = nullptr;
    ProgramCache *m_pProgramCache = nullptr;
};
