#include "PathTool.h"

#include "AddPathCmd.h"
#include "ChildWindow.h"
#include "GraphicsScene.h"
#include "PathEditCmd.h"
#include "PathOverlayItem.h"
#include "ToolContext.h"
#include "ToolPaths.h"

#include <QKeyEvent>
#include <QUndoStack>

#include <cmath>

namespace {
// How near, in screen pixels, a click must come to a point to take it.
constexpr double kReachPixels = 6;
// A drag shorter than this (screen pixels) pulls out no handles.
constexpr double kDragPixels = 2;

double distance(const QPointF &a, const QPointF &b)
{
    return std::hypot(a.x() - b.x(), a.y() - b.y());
}
} // namespace

PathTool::PathTool(ToolContext &context, QObject *pParent)
    : BaseTool(context, pParent)
    , m_pOverlay(std::make_unique<PathOverlayItem>())
{
}

PathTool::~PathTool()
{
    if (m_pOverlay->scene())
        m_pOverlay->scene()->removeItem(m_pOverlay.get());
}

QCursor PathTool::GetCursor() const
{
    return QCursor(Qt::CrossCursor);
}

void PathTool::Activate()
{
    BeginActivation();
    m_pWindow = CurrentWindow();
    if (ToolPaths *pPaths = context().Paths()) {
        pPaths->ShowPathsTab();
        m_connections << pPaths->OnNewPath(this, [this] { NewPath(); });
        m_connections << pPaths->OnPathPicked(this, [this](Path *) { Refresh(); });
    }
    if (m_pWindow) {
        Document *pDocument = m_pWindow->document();
        m_connections << connect(pDocument, &Document::PathChanged, this, &PathTool::Refresh);
        m_connections << connect(pDocument, &Document::PathsChanged, this, &PathTool::Refresh);
        m_connections << connect(m_pWindow, &ChildWindow::ZoomChanged, this, &PathTool::Refresh);
        m_pWindow->scene()->addItem(m_pOverlay.get());
    }
    Refresh();
}

void PathTool::FinishGesture()
{
    EndEdit();
    // A path being drawn is kept, not lost; one of a single point goes.
    FinishDraft();
}

void PathTool::Deactivate()
{
    FinishGesture();
    for (const QMetaObject::Connection &connection : std::as_const(m_connections))
        disconnect(connection);
    m_connections.clear();
    if (m_pOverlay->scene())
        m_pOverlay->scene()->removeItem(m_pOverlay.get());
    if (ToolPaths *pPaths = context().Paths())
        pPaths->ShowLayersTab();
    m_pWindow = nullptr;
    EndActivation();
}

Path *PathTool::EditedPath() const
{
    ToolPaths *pPaths = context().Paths();
    Path *pPath = pPaths ? pPaths->SelectedPath() : nullptr;
    if (!pPath || !m_pWindow || !m_pWindow->document()->paths().contains(pPath))
        return nullptr;
    return pPath;
}

double PathTool::Reach() const
{
    return kReachPixels / qMax(0.01, m_pWindow ? m_pWindow->ZoomFactor() : 1.0);
}

PathTool::Hit PathTool::HitTest(const Path &path, const QPointF &point, double dReach)
{
    const QList<PathItem> &items = path.items();
    Hit anchor, control;
    double anchorDistance = dReach, controlDistance = dReach;
    auto consider = [&](const QPointF &at, int index, int which, Hit *pBest, double *pNearest) {
        const double d = distance(at, point);
        if (d <= *pNearest) {
            *pNearest = d;
            *pBest = {index, which};
        }
    };
    for (int i = 0; i < items.size(); ++i) {
        consider(items[i].second, i, 0, &anchor, &anchorDistance);
        if (items[i].kind == PathItem::CubicTo) {
            consider(items[i].control1, i, 1, &control, &controlDistance);
            consider(items[i].control2, i, 2, &control, &controlDistance);
        } else if (items[i].kind == PathItem::QuadTo) {
            consider(items[i].control1, i, 1, &control, &controlDistance);
        }
    }
    // A control point lying on its anchor leaves the anchor to be taken.
    if (anchor.isValid() && (!control.isValid() || anchorDistance <= controlDistance))
        return anchor;
    return control;
}

QString PathTool::NextName(const Document *pDocument) const
{
    for (int n = int(pDocument->paths().size()) + 1;; ++n) {
        const QString name = QStringLiteral("Path %1").arg(n);
        bool bTaken = false;
        for (const Path *pPath : pDocument->paths())
            bTaken = bTaken || pPath->name() == name;
        if (!bTaken)
            return name;
    }
}

void PathTool::Refresh()
{
    if (!m_pWindow)
        return;
    if (m_pDraft && m_pDraftDocument == m_pWindow->document())
        m_pOverlay->Show(m_pDraft.get(), m_pWindow->ZoomFactor(), m_eDrag == NoDrag ? m_mouse : std::nullopt);
    else
        m_pOverlay->Show(EditedPath(), m_pWindow->ZoomFactor());
}

void PathTool::AddDraftPoint(const QPointF &point)
{
    PathItem item;
    item.second = point;
    if (m_pDraft->items().isEmpty()) {
        item.kind = PathItem::MoveTo;
        item.first = point;
    } else if (m_draftOut) {
        item.kind = PathItem::CubicTo;
        item.control1 = *m_draftOut;
        item.control2 = point;
    } else {
        item.kind = PathItem::LineTo;
    }
    m_pDraft->AddItem(item);
    m_draftOut.reset();
}

void PathTool::PullHandles(const QPointF &point)
{
    QList<PathItem> items = m_pDraft->items();
    PathItem &last = items.last();
    const QPointF anchor = last.second;
    if (distance(point, anchor) < kDragPixels / qMax(0.01, m_pWindow->ZoomFactor()))
        return;
    // The handle leaving the point follows the mouse; the one arriving at it
    // mirrors it, so the curve passes smoothly through.
    m_draftOut = point;
    const QPointF in = 2 * anchor - point;
    if (last.kind == PathItem::LineTo) {
        last.kind = PathItem::CubicTo;
        last.control1 = last.first;
    }
    if (last.kind == PathItem::CubicTo)
        last.control2 = in;
    m_pDraft->SetPoints(m_pDraft->startPoint(), items);
}

void PathTool::CloseDraft()
{
    const QList<PathItem> &items = m_pDraft->items();
    const QPointF start = m_pDraft->startPoint();
    PathItem closing;
    closing.second = start;
    // The first point's own handle, mirrored, brings the curve in smoothly.
    const bool bFirstCurved = items.size() > 1 && items[1].kind == PathItem::CubicTo && items[1].control1 != start;
    if (m_draftOut || bFirstCurved) {
        closing.kind = PathItem::CubicTo;
        closing.control1 = m_draftOut.value_or(items.last().second);
        closing.control2 = bFirstCurved ? 2 * start - items[1].control1 : start;
    } else {
        closing.kind = PathItem::LineTo;
    }
    m_pDraft->AddItem(closing);
    m_draftOut.reset();
    FinishDraft();
}

void PathTool::FinishDraft()
{
    std::unique_ptr<Path> pDraft = std::move(m_pDraft);
    m_draftOut.reset();
    if (m_eDrag == DraftHandles)
        m_eDrag = NoDrag;
    Document *pDocument = m_pDraftDocument;
    m_pDraftDocument = nullptr;
    if (!pDraft || !pDocument || pDraft->AnchorCount() < 2) {
        Refresh();
        return;
    }
    pDraft->setName(NextName(pDocument));
    Path *pPath = pDraft.release();
    pDocument->undoStack()->push(new AddPathCmd(pDocument, pPath));
    if (ToolPaths *pPaths = context().Paths(); pPaths && m_pWindow && m_pWindow->document() == pDocument)
        pPaths->PickPath(pPath);
    Refresh();
}

void PathTool::DropDraft()
{
    m_pDraft.reset();
    m_pDraftDocument = nullptr;
    m_draftOut.reset();
    if (m_eDrag == DraftHandles)
        m_eDrag = NoDrag;
    Refresh();
}

void PathTool::NewPath()
{
    FinishDraft();
    // The next click starts a new path.
    if (ToolPaths *pPaths = context().Paths())
        pPaths->PickPath(nullptr);
    Refresh();
}

void PathTool::MousePress(Qt::MouseButtons buttons, QPoint point, Qt::KeyboardModifiers, ChildWindow *pWindow)
{
    if (!(buttons & Qt::LeftButton) || !pWindow || pWindow != m_pWindow || m_eDrag != NoDrag)
        return;
    const QPointF at(point);
    if (m_pDraft && m_pDraftDocument == pWindow->document()) {
        if (m_pDraft->AnchorCount() >= 2 && distance(at, m_pDraft->startPoint()) <= Reach()) {
            CloseDraft();
            return;
        }
        AddDraftPoint(at);
        m_eDrag = DraftHandles;
        Refresh();
        return;
    }
    if (Path *pPath = EditedPath()) {
        const Hit hit = HitTest(*pPath, at, Reach());
        if (hit.isValid()) {
            m_hit = hit;
            m_before = *pPath;
            m_pEditing = pPath;
            m_pEditDocument = pWindow->document();
            m_eDrag = EditPoint;
            return;
        }
    }
    // Away from the picked path: a new path begins here.
    if (ToolPaths *pPaths = context().Paths())
        pPaths->PickPath(nullptr);
    m_pDraft = std::make_unique<Path>();
    m_pDraftDocument = pWindow->document();
    AddDraftPoint(at);
    m_eDrag = DraftHandles;
    Refresh();
}

void PathTool::MousePosUpdate(int x, int y, ChildWindow *pWindow)
{
    if (!pWindow || pWindow != m_pWindow)
        return;
    const QPointF at(x, y);
    m_mouse = at;
    if (m_eDrag == DraftHandles && m_pDraft) {
        PullHandles(at);
    } else if (m_eDrag == EditPoint && m_pEditDocument && m_pEditing) {
        if (m_hit.control == 0)
            m_pEditing->MoveAnchor(m_hit.index, at);
        else
            m_pEditing->MoveControl(m_hit.index, m_hit.control, at);
        m_pEditDocument->NotifyPathChanged(m_pEditing);
        return;
    } else if (!m_pDraft) {
        return;
    }
    Refresh();
}

void PathTool::EndEdit()
{
    if (m_eDrag != EditPoint)
        return;
    m_eDrag = NoDrag;
    Path *pPath = m_pEditing;
    m_pEditing = nullptr;
    if (!m_pEditDocument || !pPath || pPath->SamePoints(m_before))
        return;
    m_pEditDocument->undoStack()->push(new PathEditCmd(m_pEditDocument, pPath, m_before, *pPath));
}

void PathTool::MouseRelease(Qt::MouseButtons buttons, QPoint, Qt::KeyboardModifiers, ChildWindow *)
{
    if (buttons & Qt::LeftButton)
        return;
    if (m_eDrag == DraftHandles)
        m_eDrag = NoDrag;
    EndEdit();
    Refresh();
}

void PathTool::KeyPress(QKeyEvent *pEvent)
{
    if (!pEvent || !m_pDraft)
        return;
    if (pEvent->key() == Qt::Key_Return || pEvent->key() == Qt::Key_Enter)
        FinishDraft();
    else if (pEvent->key() == Qt::Key_Escape)
        DropDraft();
}
