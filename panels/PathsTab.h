#pragma once
#include <QMetaObject>
#include <QModelIndex>
#include <QObject>
#include <QPointer>
#include <QStandardItemModel>
#include <functional>

class Document;
class Path;
class QAbstractButton;
class QAction;
class QItemSelectionModel;
class QTreeView;
class QWidget;
class ToolboxDlg;

// The paths list of the layers panel: one row per path of the document,
// newest first, the picked path selected, and the entries that act on the
// picked path (stroke, fill, to selection, delete). It changes the document
// only through undo commands, like the rest of the panel.
class PathsTab : public QObject {
    Q_OBJECT
public:
    static constexpr int kPathRole = Qt::UserRole + 1;

    // `pPanel` hosts the list and its buttons; menus and messages open over it.
    PathsTab(QWidget *pPanel, QTreeView *pList, QAbstractButton *pDeleteBtn);

    void SetDocument(Document *pDocument);
    // The brush tool's width strokes paths; a new path starts the path tool.
    void SetToolbox(ToolboxDlg *pToolbox);
    Path *SelectedPath() const;
    // Adds the path to the selection (null: clears the selection).
    void SelectPath(Path *pPath);
    // Picks only this path (null: none).
    void PickPath(Path *pPath);
    // The list came into view: the first path is selected when there is one.
    void Shown();
    QMetaObject::Connection OnNewPath(QObject *pReceiver, std::function<void()> handler);
    QMetaObject::Connection OnPathPicked(QObject *pReceiver, std::function<void(Path *)> handler);
    // The context-menu entries, in menu order: stroke, fill, to selection, delete.
    QList<QAction *> ContextActions() const;

    void ContextMenu(QPoint point);
    void ItemChanged(QStandardItem *pItem);
    void CurrentChanged(QModelIndex current);
    // The "new" button: the path tool comes up ready for a new path.
    void AddPath();
    // The "delete" button: deletes the picked path as an undo step.
    void DeletePath();

Q_SIGNALS:
    void NewPath();
    void PathSelectionChanged(Path *pPath);

private:
    void Rebuild();
    void StrokePath();
    void FillPath();
    void PathToSelection();

    QWidget *m_pPanel;
    QTreeView *m_pList;
    QAbstractButton *m_pDeleteBtn;
    QPointer<Document> m_pDocument;
    QPointer<ToolboxDlg> m_pToolbox;
    QStandardItemModel m_model;
    QItemSelectionModel *m_pSelection;
    // The picked path while undo has taken it out of the document.
    Path *m_pTakenOut = nullptr;
    QAction *m_pStrokeAction;
    QAction *m_pFillAction;
    QAction *m_pSelectionAction;
    QAction *m_pDeleteAction;
};
