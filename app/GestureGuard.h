#pragma once
#include <QObject>
#include <QHash>
#include <QSet>

#include <functional>

class QAction;
class QMenu;
class QMenuBar;
class QWidget;

// The one place where an open gesture is finished before anything else
// reaches a document. It watches what can send a command: menu entries
// (chosen or by their keys), the history list, the layer panel's controls
// and a document window being closed, and calls `finish` first. Whatever
// it watches then goes on as before.
class GestureGuard : public QObject {
    Q_OBJECT
public:
    GestureGuard(std::function<void()> finish, QObject *pParent = nullptr);

    // Every entry of the bar's menus, except those of the menus left out
    // (zooming, panels shown): entries added later need another call.
    void WatchMenus(QMenuBar *pBar, const QList<QMenu *> &exempt);
    // Presses and keys on the widget and its children. Widgets of the
    // class named by `exemptClass` (and their children) are let through:
    // a layer row's own click switches layers, which the tools handle.
    void WatchWidget(QWidget *pWidget, const char *exemptClass = nullptr);
    // Closing the widget (a document's window).
    void WatchClose(QWidget *pWidget);

    void Finish() const;

protected:
    bool eventFilter(QObject *pObject, QEvent *pEvent) override;

private:
    void WatchMenu(QMenu *pMenu, const QList<QMenu *> &exempt);
    void FinishUnderPointer(QWidget *pWidget) const;
    // Whether a press or key on the object may send a command.
    bool Watched(QObject *pObject) const;

    std::function<void()> m_finish;
    QSet<QObject *> m_actions;
    QSet<QObject *> m_closing;
    QHash<QObject *, const char *> m_widgets; // watched trees, with their exempt class
};
