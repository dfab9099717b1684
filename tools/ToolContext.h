#pragma once
#include <QVariant>

class BaseTool;
class BrushSource;
class ChildWindow;
class ProgramCache;
class QToolBar;
class ToolPaths;
class ToolSwatches;

// What a tool may reach of the program around it: the document window it
// works on, the bar that shows its options, the slot that says which tool
// receives the canvas events, the compute programs, the colour swatches and
// the brushes, and the options that last between runs. The main window
// provides it.
class ToolContext {
public:
    virtual ~ToolContext() = default;

    // The current document window, or null.
    virtual ChildWindow *CurrentWindow() const = 0;
    // The tool bar that carries the active tool's options.
    virtual QToolBar *OptionBar() const = 0;
    // The tool that receives the canvas events (null for none).
    virtual void SetActiveTool(BaseTool *pTool) = 0;
    virtual BaseTool *ActiveTool() const = 0;

    virtual ProgramCache &Programs() = 0;
    // Null where there is no palette or brush panel (headless use).
    virtual ToolSwatches *Swatches() = 0;
    virtual BrushSource *Brushes() = 0;
    // The paths list; null where there is no panel (headless use).
    virtual ToolPaths *Paths() { return nullptr; }
    // A tool's lasting option (the text font, the crop guides), `fallback`
    // when none was stored.
    virtual QVariant Setting(const QString &key, const QVariant &fallback) const = 0;
    virtual void SetSetting(const QString &key, const QVariant &value) = 0;
};
