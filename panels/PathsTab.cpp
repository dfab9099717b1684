#include "PathsTab.h"

#include <utility>

#include "AddPathCmd.h"
#include "BrushTool.h"
#include "Document.h"
#include "PaintToolSupport.h"
#include "Path.h"
#include "PathActions.h"
#include "PixmapLayer.h"
#include "ToolboxDlg.h"

#include <QAbstractButton>
#include <QAction>
#include <QCursor>
#include <QMenu>
#include <QTreeView>
#include <QUndoStack>

static Path *pathOf(const QStandardItem *pItem)
{
    return pItem ? static_cast<Path *>(pItem->data(PathsTab::kPathRole).value<void *>()) : nullptr;
}

PathsTab::PathsTab(QWidget *pPanel, QTreeView *pList, QAbstractButton *pDeleteBtn)
    : QObject(pPanel)
    , m_pPanel(pPanel)
    , m_pList(pList)
    , m_pDeleteBtn(pDeleteBtn)
{
    m_pList->setModel(&m_model);
    m_pSelection = m_pList->selectionModel();
    connect(&m_model, &QStandardItemModel::itemChanged, this, &PathsTab::ItemChanged);
    connect(m_pSelection, &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex &current) { CurrentChanged(current); });
    m_pList->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_pList, &QWidget::customContextMenuRequested, this, &PathsTab::ContextMenu);

    auto makeAction = [this](const QString &text, const QString &tip, auto slot) {
        auto *pAction = new QAction(text, this);
        pAction->setStatusTip(tip);
        connect(pAction, &QAction::triggered, this, slot);
        return pAction;
    };
    m_pStrokeAction = makeAction(QStringLiteral("Stroke Path"), QStringLiteral("paint along the path with the brush's colour and width"), &PathsTab::StrokePath);
    m_pFillAction = makeAction(QStringLiteral("Fill Path"), QStringLiteral("fill the path's inside with the brush's colour"), &PathsTab::FillPath);
    m_pSelectionAction = makeAction(QStringLiteral("Path to Selection"), QStringLiteral("select the path's inside"), &PathsTab::PathToSelection);
    m_pDeleteAction = makeAction(QStringLiteral("Delete Path"), QStringLiteral("delete this path"), &PathsTab::DeletePath);
}

void PathsTab::SetDocument(Document *pDocument)
{
    if (m_pDocument)
        disconnect(m_pDocument, nullptr, this, nullptr);
    m_pDocument = pDocument;
    if (pDocument)
        connect(pDocument, &Document::PathsChanged, this, &PathsTab::Rebuild);
    Rebuild();
}

void PathsTab::Rebuild()
{
    // The picked path stays picked when it is still there; rebuilding alone
    // tells nobody about a change of pick.
    Path *pPicked = SelectedPath();
    const QList<Path *> none;
    const QList<Path *> &paths = m_pDocument ? m_pDocument->paths() : none;
    // A picked path taken out (by undo) is picked again when it comes back
    // (by redo), so the path tool shows it again. Only compared, never used.
    if (pPicked && !paths.contains(pPicked))
        m_pTakenOut = pPicked;
    else if (!pPicked && m_pTakenOut && paths.contains(m_pTakenOut))
        pPicked = std::exchange(m_pTakenOut, nullptr);
    const QSignalBlocker blocker(m_pSelection);
    m_model.removeRows(0, m_model.rowCount());
    if (m_pDocument)
        for (Path *pPath : m_pDocument->paths()) {
            auto *pItem = new QStandardItem(pPath->name());
            pItem->setCheckable(true);
            pItem->setCheckState(Qt::Checked);
            pItem->setData(QVariant::fromValue(static_cast<void *>(pPath)), kPathRole);
            m_model.invisibleRootItem()->insertRow(0, pItem);
        }
    m_pSelection->clear();
    if (pPicked)
        for (int row = 0; row < m_model.rowCount(); ++row)
            if (pathOf(m_model.item(row)) == pPicked)
                m_pSelection->setCurrentIndex(m_model.index(row, 0), QItemSelectionModel::ClearAndSelect);
    m_pDeleteBtn->setEnabled(m_model.rowCount() > 0);
    m_pList->viewport()->update();
}

// --- Picking -----------------------------------------------------------------------------

Path *PathsTab::SelectedPath() const
{
    const QModelIndexList selected = m_pSelection->selectedIndexes();
    if (selected.isEmpty())
        return nullptr;
    return pathOf(m_model.itemFromIndex(selected.first()));
}

void PathsTab::SelectPath(Path *pPath)
{
    if (!pPath) {
        m_pSelection->clearSelection();
        return;
    }
    for (int row = 0; row < m_model.rowCount(); ++row)
        if (pathOf(m_model.item(row)) == pPath) {
            m_pSelection->select(m_model.index(row, 0), QItemSelectionModel::Select);
            return;
        }
}

void PathsTab::PickPath(Path *pPath)
{
    for (int row = 0; row < m_model.rowCount(); ++row)
        if (pPath && pathOf(m_model.item(row)) == pPath) {
            m_pSelection->setCurrentIndex(m_model.index(row, 0), QItemSelectionModel::ClearAndSelect);
            return;
        }
    m_pSelection->clear();
}

void PathsTab::Shown()
{
    if (m_model.rowCount() > 0)
        m_pSelection->select(m_model.index(0, 0), QItemSelectionModel::Select);
}

QMetaObject::Connection PathsTab::OnNewPath(QObject *pReceiver, std::function<void()> handler)
{
    return connect(this, &PathsTab::NewPath, pReceiver, [handler = std::move(handler)] { handler(); });
}

QMetaObject::Connection PathsTab::OnPathPicked(QObject *pReceiver, std::function<void(Path *)> handler)
{
    return connect(this, &PathsTab::PathSelectionChanged, pReceiver,
                   [handler = std::move(handler)](Path *pPath) { handler(pPath); });
}

// --- Context menu ------------------------------------------------------------------------

QList<QAction *> PathsTab::ContextActions() const
{
    return {m_pStrokeAction, m_pFillAction, m_pSelectionAction, m_pDeleteAction};
}

void PathsTab::ContextMenu(QPoint point)
{
    // The entries act on the row under the mouse.
    const QModelIndex index = m_pList->indexAt(point);
    if (!index.isValid())
        return;
    m_pSelection->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
    QMenu menu(m_pPanel);
    menu.addActions(ContextActions());
    menu.exec(QCursor::pos());
}

// What the brush paints with: its swatch's saved colour and its width.
// Paths are stroked and filled as the brush would paint them.
static BrushTool *brushOf(ToolboxDlg *pToolbox)
{
    return pToolbox ? static_cast<BrushTool *>(pToolbox->tools().Tool(ToolSet::Brush)) : nullptr;
}

static QColor brushColor(ToolboxDlg *pToolbox)
{
    BrushTool *pBrush = brushOf(pToolbox);
    return pBrush ? pBrush->SwatchColor() : QColor(Qt::black);
}

static int brushWidth(ToolboxDlg *pToolbox)
{
    BrushTool *pBrush = brushOf(pToolbox);
    return pBrush ? pBrush->Width() : 10;
}

void PathsTab::SetToolbox(ToolboxDlg *pToolbox)
{
    m_pToolbox = pToolbox;
}

void PathsTab::StrokePath()
{
    Path *pPath = SelectedPath();
    if (!pPath || !m_pDocument)
        return;
    if (PixmapLayer *pLayer = PaintToolSupport::RasterForPainting(m_pDocument, m_pPanel->window()))
        PathActions::Stroke(m_pDocument, pLayer, *pPath, brushColor(m_pToolbox), brushWidth(m_pToolbox));
}

void PathsTab::FillPath()
{
    Path *pPath = SelectedPath();
    if (!pPath || !m_pDocument)
        return;
    if (PixmapLayer *pLayer = PaintToolSupport::RasterForPainting(m_pDocument, m_pPanel->window()))
        PathActions::Fill(m_pDocument, pLayer, *pPath, brushColor(m_pToolbox));
}

void PathsTab::PathToSelection()
{
    if (Path *pPath = SelectedPath(); pPath && m_pDocument)
        PathActions::ToSelection(m_pDocument, *pPath);
}

// --- User edits --------------------------------------------------------------------------

void PathsTab::ItemChanged(QStandardItem *pItem)
{
    Path *pPath = pathOf(pItem);
    if (pPath && pItem->text() != pPath->name())
        pPath->setName(pItem->text());
}

void PathsTab::CurrentChanged(QModelIndex current)
{
    Q_EMIT PathSelectionChanged(pathOf(m_model.itemFromIndex(current)));
}

void PathsTab::AddPath()
{
    // New paths are drawn with the path tool: it comes up ready for one.
    if (m_pToolbox && m_pToolbox->CurrentTool() != m_pToolbox->tools().Tool(ToolSet::PathEdit))
        m_pToolbox->Select(ToolSet::PathEdit);
    Q_EMIT NewPath();
}

void PathsTab::DeletePath()
{
    Path *pPath = SelectedPath();
    m_pSelection->clearSelection();
    if (pPath && m_pDocument && m_pDocument->paths().contains(pPath))
        m_pDocument->undoStack()->push(new AddPathCmd(m_pDocument, pPath, AddPathCmd::Delete));
}
