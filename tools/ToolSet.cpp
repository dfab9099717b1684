#include "ToolSet.h"

#include "BrushTool.h"
#include "ColorPickTool.h"
#include "CropTool.h"
#include "EraseTool.h"
#include "FillTool.h"
#include "GradientTool.h"
#include "LassoTool.h"
#include "LineTool.h"
#include "MoveSelectionTool.h"
#include "MoveTool.h"
#include "PanTool.h"
#include "PathTool.h"
#include "RectangleTool.h"
#include "SelectTool.h"
#include "SharpenTool.h"
#include "SmoothTool.h"
#include "SmudgeTool.h"
#include "StampTool.h"
#include "TextTool.h"
#include "WandTool.h"
#include "ZoomTool.h"

namespace {

template <class Tool, auto... args> BaseTool *make(ToolContext &context, ToolSet &)
{
    return new Tool(context, args...);
}

// A press inside the selection hands the gesture to the selection mover.
template <int shape> BaseTool *makeSelect(ToolContext &context, ToolSet &tools)
{
    return new SelectTool(context, shape, static_cast<MoveSelectionTool *>(tools.Make(ToolSet::MoveSelection)));
}

using T = ToolSet;
constexpr std::array<T::Entry, T::KindCount> kTable{{
    {T::Brush, make<BrushTool>, "brushBtn", ":/icons/paintbrush.png", "paint using a brush", nullptr, 3, 1},
    {T::RectSelect, makeSelect<SelectTool::RectangleShape>, "rectSelectBtn", ":/icons/select_rectangle.png",
     "rectangular selection", nullptr, 4, 0},
    {T::EllipseSelect, makeSelect<SelectTool::EllipseShape>, "ellipseSelectBtn", ":/icons/select_ellipse.png",
     "elliptical selection", nullptr, 4, 1},
    {T::Zoom, make<ZoomTool>, "zoomBtn", ":/icons/zoom.png", "zoom the canvas in and out", nullptr, 12, 0},
    {T::Move, make<MoveTool>, "moveBtn", ":/icons/cursor.png", "move layer or selected pixels", nullptr, 0, 0},
    {T::MoveSelection, make<MoveSelectionTool>, "moveSelectionBtn", ":/icons/cursor_blue.png",
     "move the selection mask", nullptr, 0, 1},
    {T::Text, make<TextTool>, "textBtn", ":/icons/font.png", "create/edit text", nullptr, 3, 0},
    {T::Line, make<LineTool>, "lineBtn", ":/icons/line.png", "draw a line", nullptr, 11, 1},
    {T::Rectangle, make<RectangleTool, RectangleTool::Plain>, "rectBtn", ":/icons/rectangle.png", "draw a rectangle",
     nullptr, 10, 1},
    {T::RoundedRectangle, make<RectangleTool, RectangleTool::Rounded>, "roundRectBtn",
     ":/icons/rounded_rectangle.png", "draw a rectangle with rounded corners", nullptr, 10, 0},
    {T::Ellipse, make<RectangleTool, RectangleTool::Ellipse>, "ellipseBtn", ":/icons/ellipse.png", "draw an ellipse",
     nullptr, 11, 0},
    {T::Fill, make<FillTool>, "fillBtn", ":/icons/paintcan.png", "fill an area with a color", nullptr, 9, 1},
    {T::Wand, make<WandTool>, "wandBtn", ":/icons/wand.png", "automagically create a selection mask", nullptr, 1, 0},
    {T::ColorPick, make<ColorPickTool>, "colorPickBtn", ":/icons/palette.png", "pick a color from the canvas",
     nullptr, 12, 1},
    {T::Erase, make<EraseTool>, "eraseBtn", ":/icons/eraser.png", "erase pixels", nullptr, 9, 0},
    {T::Pan, make<PanTool>, "panBtn", ":/icons/hand.png", "pan the viewport", nullptr, 1, 1},
    {T::PathEdit, make<PathTool>, "pathBtn", ":/icons/vector.png", "create or modify a path", nullptr, 6, 0},
    {T::Smooth, make<SmoothTool>, "smoothBtn", ":/icons/water_drop.png", "Blur the area under the brush", nullptr, 7,
     0},
    {T::Sharpen, make<SharpenTool>, "sharpenBtn", ":/icons/diamond.png", "sharpen the area under the brush", nullptr,
     7, 1},
    {T::Stamp, make<StampTool>, "stampBtn", ":/icons/stamp.png", "clone pixels from a source (Alt+click sets it)", nullptr, 6, 1},
    {T::Crop, make<CropTool>, "cropBtn", ":/icons/crop.png", "crop the canvas to a selection", nullptr, 5, 0},
    {T::Lasso, make<LassoTool>, "lassoBtn", ":/icons/lasso.png", "freehand selection", nullptr, 5, 1},
    {T::Smudge, make<SmudgeTool>, "smudgeBtn", ":/icons/smudge.png", "smudge colors along the stroke", nullptr, 8, 0},
    {T::Gradient, make<GradientTool>, "gradientBtn", ":/icons/gradient.png", "fill with a gradient", nullptr, 8, 1},
}};

constexpr bool rowsInKindOrder()
{
    for (int i = 0; i < T::KindCount; ++i)
        if (kTable[size_t(i)].eKind != i)
            return false;
    return true;
}
static_assert(rowsInKindOrder(), "one row per kind, in the order of the kinds");

} // namespace

const std::array<ToolSet::Entry, ToolSet::KindCount> &ToolSet::Table()
{
    return kTable;
}

ToolSet::ToolSet(ToolContext &context, QObject *pParent)
    : QObject(pParent)
    , m_context(context)
{
    for (const Entry &entry : kTable)
        Make(entry.eKind);
}

BaseTool *ToolSet::Make(Kind eKind)
{
    BaseTool *&pTool = m_tools[eKind];
    if (!pTool) {
        pTool = kTable[eKind].make(m_context, *this);
        pTool->setParent(this);
    }
    return pTool;
}

ZoomTool *ToolSet::zoomTool() const
{
    return static_cast<ZoomTool *>(m_tools[Zoom]);
}
