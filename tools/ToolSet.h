#pragma once
#include <QObject>
#include <array>

class BaseTool;
class ToolContext;
class ZoomTool;

// The one instance of every canvas tool, in the toolbox's order. A kind
// whose tool is not built yet has no instance; the toolbox leaves its
// button disabled.
class ToolSet : public QObject {
    Q_OBJECT
public:
    enum Kind {
        Brush, RectSelect, EllipseSelect, Zoom, Move, MoveSelection, Text, Line, Rectangle, RoundedRectangle,
        Ellipse, Fill, Wand, ColorPick, Erase, Pan, PathEdit, Smooth, Sharpen, Stamp, Crop, Lasso, Smudge,
        Gradient, KindCount
    };

    explicit ToolSet(ToolContext &context, QObject *pParent = nullptr);

    BaseTool *Tool(Kind eKind) const { return m_tools[eKind]; }
    ZoomTool *zoomTool() const;

private:
    std::array<BaseTool *, KindCount> m_tools{};
};
