#pragma once
// The Filter menu and the steps of picking an entry that do not touch a
// document. The window builds the menu once and, when an entry is picked,
// asks Prepare() for the filter to run.
#include <QString>

class FilterPlugin;
class FilterRegistry;
class QAction;
class QMenu;
class QObject;
class QWidget;

namespace FilterMenu {

// Adds one entry per filter, in registry order, under sub-menus named by the
// parts of its name (an existing sub-menu of the same title is reused, so
// plug-ins and built-in filters share them). An entry whose filter failed to
// load is disabled with the exclamation icon. Connects every filter's
// Updated(QImage&) and Complete(bool) to the receiver's FilterUpdate(QImage&)
// and FilterComplete(bool), a dialog filter's BusyChanged(bool) to
// FilterBusy(bool) when the receiver has that slot, and the menu's
// triggered(QAction*) to FilterTriggered(QAction*).
void Build(QMenu *pMenu, FilterRegistry &registry, QObject *pReceiver);

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
