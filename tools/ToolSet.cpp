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

ToolSet::ToolSet(ToolContext &context, QObject *pParent)
    : QObject(pParent)
{
    m_tools[Brush] = new BrushTool(context, this);
    m_tools[Zoom] = new ZoomTool(context, this);
    m_tools[Text] = new TextTool(context, this);
    m_tools[Line] = new LineTool(context, this);
    m_tools[Rectangle] = new RectangleTool(context, RectangleTool::Plain, this);
    m_tools[RoundedRectangle] = new RectangleTool(context, RectangleTool::Rounded, this);
    m_tools[Ellipse] = new RectangleTool(context, RectangleTool::Ellipse, this);
    m_tools[ColorPick] = new ColorPickTool(context, this);
    m_tools[Erase] = new EraseTool(context, this);
    m_tools[Pan] = new PanTool(context, this);
    m_tools[PathEdit] = new PathTool(context, this);
    m_tools[Smooth] = new SmoothTool(context, this);
    m_tools[Sharpen] = new SharpenTool(context, this);
    m_tools[Stamp] = new StampTool(context, this);
    m_tools[Smudge] = new SmudgeTool(context, this);
    m_tools[Gradient] = new GradientTool(context, this);
    auto *pMoveSelection = new MoveSelectionTool(context, this);
    m_tools[MoveSelection] = pMoveSelection;
    m_tools[RectSelect] = new SelectTool(context, SelectTool::RectangleShape, pMoveSelection, this);
    m_tools[EllipseSelect] = new SelectTool(context, SelectTool::EllipseShape, pMoveSelection, this);
    m_tools[Lasso] = new LassoTool(context, this);
    m_tools[Fill] = new FillTool(context, this);
    m_tools[Wand] = new WandTool(context, this);
    m_tools[Move] = new MoveTool(context, this);
    m_tools[Crop] = new CropTool(context, this);
}

ZoomTool *ToolSet::zoomTool() const
{
    return static_cast<ZoomTool *>(m_tools[Zoom]);
}
