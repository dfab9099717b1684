#pragma once
#include "Document.h"

#include <QImage>
#include <QList>
#include <QPainterPath>
#include <QRegion>
#include <QPen>
#include <QTimer>
#include <QTransform>
#include <QWidget>

#include <optional>

class GraphicsScene;
class GraphicsView;
class Layer;
class Path;
class PixmapLayer;
class QGraphicsPathItem;
class SelectionOutline;
class QGraphicsPixmapItem;
class QGraphicsScene;
class QGraphicsSceneMouseEvent;
class QMdiSubWindow;
class QScrollArea;
class QUndoStack;

namespace Ui { class ChildWindow; }

// The window and view of one open document: the scene that draws its layers,
// the zoomed view in a scroll area, the selection's marching ants and the
// canvas events that tools receive. What the document is lives in its
// Document; the operations below that edit it forward there.
class ChildWindow : public QWidget {
    Q_OBJECT
public:
    // A window around a new document of the given size.
    ChildWindow(QWidget *pParent, const QSize &canvasSize, const DocumentEnv &env);
    // A window around an existing document, which it takes over.
    ChildWindow(QWidget *pParent, Document *pDocument);
    ~ChildWindow() override;

    Document *document() const { return m_pDoc; }

    // --- Forwarded to the document -----------------------------------------------
    Layer *CreateLayer(int iKind) { return m_pDoc->CreateLayer(iKind); }
    QList<Layer *> GetLayers(bool bExcludeDeleted = false) const { return m_pDoc->GetLayers(bExcludeDeleted); }
    int CountLayers() const { return m_pDoc->CountLayers(); }
    void SetCanvasSize(const QSize &size) { m_pDoc->SetCanvasSize(size); }
    void ScaleImage(const QSize &size) { m_pDoc->ScaleImage(size); }
    void SetSelection(const QRegion &region) { m_pDoc->SetSelection(region); }
    QRegion Selection() const { return m_pDoc->Selection(); }
    void SetFeather(bool bOn) { m_pDoc->SetFeather(bOn); }
    void SetFeatherRadius(int iRadius) { m_pDoc->SetFeatherRadius(iRadius); }
    bool FeatherEnabled() const { return m_pDoc->FeatherEnabled(); }
    int FeatherRadius() const { return m_pDoc->FeatherRadius(); }
    const QImage &SelectionMask() const { return m_pDoc->SelectionMask(); }
    const QPainterPath &SelectionPath() const { return m_pDoc->SelectionPath(); }
    void BeginPaint(bool bAccumulate, PixmapLayer *pLayer = nullptr) { m_pDoc->BeginPaint(bAccumulate, pLayer); }
    QPainter *BeginStroke() { return m_pDoc->BeginStroke(); }
    void CommitStroke(const QRect &area = QRect()) { m_pDoc->CommitStroke(area); }
    void EndPaint() { m_pDoc->EndPaint(); }
    QImage &StrokeBuffer() { return m_pDoc->StrokeBuffer(); }
    const QImage &BaseImage() const { return m_pDoc->BaseImage(); }
    void RenderTo(QPainter *pPainter) const { m_pDoc->RenderTo(pPainter); }
    QImage Flattened() const { return m_pDoc->Flattened(); }
    void SetFileName(const QString &path) { m_pDoc->SetFileName(path); }
    QString FileName() const { return m_pDoc->FileName(); }
    QUndoStack *undoStack() const { return m_pDoc->undoStack(); }
    QSize canvasSize() const { return m_pDoc->canvasSize(); }
    const QList<Path *> &paths() const { return m_pDoc->paths(); }

    // Selection commands pushed on this document's history.
    void SelectAll();
    void SelectNone();
    void SelectInverse();
    // Live feedback of the move-selection tool.
    void MoveSelectionOutline(const QPointF &offset);

    // Imports an image file as a new layer (asks before growing the canvas).
    // False, with the reason in *pError, when the file cannot be read.
    bool LoadImageAsLayer(const QString &fileName, QString *pError = nullptr);

    // Tells observers that this window became the current document.
    void Activate();
    // Asks to save a modified document (Yes, No, Cancel). True when the
    // window may close; the next close then does not ask again.
    bool AskToSave();
    // The name shown to the user: the file's name, or "Untitled".
    QString DisplayName() const;

    void SetZoom(double dPercent);
    // Zooms by points of percent, keeping the canvas point under the wheel
    // (or the middle of the window) still on screen.
    void ZoomBy(double dPoints);
    double ZoomFactor() const { return m_dZoom; }
    QString ZoomText() const;
    // The canvas pixel under a scene position.
    static QPoint ScenePixel(QPointF scenePos);
    // The canvas pixels the window shows now, whole or in part.
    QRect ShownCanvasArea() const;

    GraphicsScene *scene() const { return m_pScene; }
    GraphicsView *view() const { return m_pView; }
    QScrollArea *scrollArea() const { return m_pScrollArea; }
    GraphicsView *overlayView() const { return m_pOverlayView; }
    QGraphicsScene *overlayScene() const { return m_pOverlayScene; }
    QMdiSubWindow *subWindow() const { return m_pSubWindow; }
    void setSubWindow(QMdiSubWindow *p) { m_pSubWindow = p; }

Q_SIGNALS:
    void MousePosUpdate(int x, int y, ChildWindow *pWindow);
    void MousePress(QGraphicsSceneMouseEvent *pEvent, QPoint point, ChildWindow *pWindow);
    void MouseRelease(QGraphicsSceneMouseEvent *pEvent, QPoint point, ChildWindow *pWindow);
    void MouseWheel(int iDelta, Qt::KeyboardModifiers keys, ChildWindow *pWindow);
    void KeyPress(QKeyEvent *pEvent);
    void KeyRelease(QKeyEvent *pEvent);
    void SelectionChanged();
    void ZoomChanged();
    // Texts for the main window's status bar.
    void ZoomTextChanged(const QString &text);
    void CanvasSizeChanged(const QSize &size);
    // The user answered Yes to saving before closing: the save must happen
    // before the signal returns.
    void SaveRequested(ChildWindow *pWindow);
    // The close goes ahead.
    void Closing(ChildWindow *pWindow);
    // A file dropped on the window could not be read.
    void LoadFailed(const QString &path, const QString &reason);

public Q_SLOTS:
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
    void BuildView();
    void ApplyZoom(double dFactor);
    // Tells the tools of a wheel turn at a point of the scroll area's viewport.
    void WheelAt(int iDelta, Qt::KeyboardModifiers keys, QPointF viewportPos);
    void ShowLayer(Layer *pLayer);
    void HideLayer(Layer *pLayer);
    void ShowSelection();
    void FollowCurrentLayer(Layer *pLayer);
    void FollowCanvasSize(const QSize &size);
    void FollowFileName();

    Ui::ChildWindow *m_pUi;
    Document *m_pDoc;
    GraphicsScene *m_pScene = nullptr;
    double m_dZoom = 1.0;
    // Where the wheel turns, while its turn is being handled.
    std::optional<QPointF> m_wheelAnchor;
    QTransform m_viewTransform;
    static QPen AntsPen(bool bPhase);
    SelectionOutline *m_pOutline = nullptr;
    QTimer m_antsTimer;
    bool m_bAntsPhase = false;
    GraphicsView *m_pView = nullptr;
    QScrollArea *m_pScrollArea = nullptr;
    QGraphicsPixmapItem *m_pMaskOverlay = nullptr;
    QGraphicsScene *m_pOverlayScene = nullptr;
    GraphicsView *m_pOverlayView = nullptr;
    QMdiSubWindow *m_pSubWindow = nullptr;
    Layer *m_pFocusLayer = nullptr;
    bool m_bCloseAgreed = false;
};
