#pragma once
// The Filter menu and the steps of picking an entry that do not touch a
// document. The window builds the menu once and, when an entry is picked,
// asks Prepare() for the filter to run.
#include <QString>
#include <functional>

class FilterPlugin;
class FilterRegistry;
class QAction;
class QImage;
class QMenu;
class QObject;
class QWidget;

namespace FilterMenu {

// What the window does when an entry is picked and when a filter reports.
struct Hooks {
    // The connections end with it; without one nothing is connected.
    QObject *pContext = nullptr;
    std::function<void(QAction *)> triggered;
    std::function<void(QImage &)> updated;
    std::function<void(bool)> completed;
    // A dialog filter's OK waits for its preview (optional).
    std::function<void(bool)> busy;
};

// Adds one entry per filter, in registry order, under sub-menus named by the
// parts of its name (an existing sub-menu of the same title is reused, so
// plug-ins and built-in filters share them). An entry whose filter failed to
// load is disabled with the exclamation icon. Connects every filter's
// Updated and Complete, a dialog filter's BusyChanged, and the menu's
// triggered to the hooks.
void Build(QMenu *pMenu, FilterRegistry &registry, const Hooks &hooks = {});

// The filter an entry stands for (null for other actions).
FilterPlugin *FilterOf(const QAction *pAction);

// Loads the entry's filter if it was not yet. On failure disables the entry
// with the exclamation icon, shows the "OpenCL Programs" report at the
// filter's reason over `pParent` (modal) and returns null.
FilterPlugin *Prepare(QAction *pAction, FilterRegistry &registry, QWidget *pParent);

// The undo text of a landed filter: the full name for an immediate filter,
// the last part of it for a dialog filter, then " - " and the layer name.
QString UndoText(FilterPlugin *pFilter, bool bFromDialog, const QString &layerName);

} // namespace FilterMenu
