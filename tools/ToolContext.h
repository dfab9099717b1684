#pragma once

class BaseTool;
class ChildWindow;
class QToolBar;

// What a tool may reach of the program around it: the document window it
// works on, the bar that shows its options, and the slot that says which
// tool receives the canvas events. The main window provides it.
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
};
