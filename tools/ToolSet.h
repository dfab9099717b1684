#pragma once
#include <QObject>
#include <array>

class BaseTool;
class ToolContext;
class ToolSet;
class ZoomTool;

// The one instance of every canvas tool. The table in ToolSet.cpp is where a
// tool is registered: how it is made and how its toolbox button looks.
class ToolSet : public QObject {
    Q_OBJECT
public:
    // In the order the tools are made.
    enum Kind {
        Brush, RectSelect, EllipseSelect, Zoom, Move, MoveSelection, Text, Line, Rectangle, RoundedRectangle,
        Ellipse, Fill, Wand, ColorPick, Erase, Pan, PathEdit, Smooth, Sharpen, Stamp, Crop, Lasso, Smudge,
        Gradient, KindCount
    };

    // One tool's row. Texts are null where the button has none.
    struct Entry {
        Kind eKind;
        BaseTool *(*make)(ToolContext &context, ToolSet &tools);
        const char *pButtonName; // the toolbox button's object name
        const char *pIcon;
        const char *pToolTip;
        const char *pShortcut; // a key sequence in portable text
        int iRow, iColumn;     // the button's place in the toolbox grid
    };
    static const std::array<Entry, KindCount> &Table();

    explicit ToolSet(ToolContext &context, QObject *pParent = nullptr);

    BaseTool *Tool(Kind eKind) const { return m_tools[eKind]; }
    ZoomTool *zoomTool() const;
    // The tool of the kind, made now if its row has not come yet (one tool's
    // constructor may want another).
    BaseTool *Make(Kind eKind);

private:
    ToolContext &m_context;
    std::array<BaseTool *, KindCount> m_tools{};
};
