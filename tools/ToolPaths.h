#pragma once
#include <QMetaObject>
#include <functional>

class Path;
class QObject;

// What the path tool needs of the paths list, without knowing the panels:
// which path the user picked, showing the list, and hearing about the
// list's "new" button and changes of the picked path. The layers and paths
// panel implements it; the window hands it to the tools.
class ToolPaths
{
public:
    virtual ~ToolPaths() = default;

    // The picked path, or null.
    virtual Path *SelectedPath() const = 0;
    // Picks only this path (null: none).
    virtual void PickPath(Path *pPath) = 0;
    virtual void ShowPathsTab() = 0;
    virtual void ShowLayersTab() = 0;
    // `handler` runs (in `pReceiver`'s context) when the user asks for a
    // new path, and with the path whenever another one is picked.
    virtual QMetaObject::Connection OnNewPath(QObject *pReceiver, std::function<void()> handler) = 0;
    virtual QMetaObject::Connection OnPathPicked(QObject *pReceiver, std::function<void(Path *)> handler) = 0;
};
