#pragma once
#include "BaseTool.h"
#include "Document.h"
#include "Path.h"

#include <QPointer>

#include <memory>
#include <optional>

class PathOverlayItem;

// Draws and edits the document's vector paths. A click adds a corner point,
// a drag pulls out the point's curve handles, a click on the first point
// closes the path, Return finishes it and Escape drops it; a finished path
// joins the paths list as one undo step. With a path picked in the list,
// its points and handles can be dragged, each drag one undo step.
class PathTool : public BaseTool {
    Q_OBJECT
public:
    // What a point of a path is, for hit tests: an anchor (control 0) or
    // control point 1 or 2 of the segment ending at anchor `index`.
    struct Hit {
        int index = -1;
        int control = 0;
        bool isValid() const { return index >= 0; }
    };

    explicit PathTool(ToolContext &context, QObject *pParent = nullptr);
    ~PathTool() override;

    void Activate() override;
    void Deactivate() override;
    void FinishGesture() override;
    QCursor GetCursor() const override;

    // The path being drawn (not yet in the document), or null.
    const Path *Draft() const { return m_pDraft.get(); }
    // The path picked in the list that belongs to the current document.
    Path *EditedPath() const;
    PathOverlayItem *overlay() const { return m_pOverlay.get(); }
    // The point of the path within reach of a canvas point (a few screen
    // pixels at the zoom), the nearest; an anchor wins a tie.
    static Hit HitTest(const Path &path, const QPointF &point, double dReach);

    // Adds the drawn path to its document (when it has two points or more).
    void FinishDraft();
    void DropDraft();

public Q_SLOTS:
    void MousePosUpdate(int x, int y, ChildWindow *pWindow) override;
    void MousePress(Qt::MouseButtons buttons, QPoint point, Qt::KeyboardModifiers keys, ChildWindow *pWindow) override;
    void MouseRelease(Qt::MouseButtons buttons, QPoint point, Qt::KeyboardModifiers keys,
                      ChildWindow *pWindow) override;
    void KeyPress(QKeyEvent *pEvent) override;
    void NewPath();

private:
    enum Drag { NoDrag, DraftHandles, EditPoint };

    void AddDraftPoint(const QPointF &point);
    void CloseDraft();
    void PullHandles(const QPointF &point);
    void EndEdit();
    void Refresh();
    double Reach() const;
    QString NextName(const Document *pDocument) const;

    std::unique_ptr<Path> m_pDraft;
    QPointer<Document> m_pDraftDocument;
    // The handle leaving the draft's last point, once one is pulled out.
    std::optional<QPointF> m_draftOut;
    std::optional<QPointF> m_mouse;
    Drag m_eDrag = NoDrag;
    Hit m_hit;
    Path m_before; // the edited path as the drag found it
    QPointer<Document> m_pEditDocument;
    Path *m_pEditing = nullptr;
    std::unique_ptr<PathOverlayItem> m_pOverlay;
    QPointer<ChildWindow> m_pWindow;
    QList<QMetaObject::Connection> m_connections;
};
