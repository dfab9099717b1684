#include "ToolSet.h"

#include "BrushTool.h"
#include "ColorPickTool.h"
#include "EraseTool.h"
#include "GradientTool.h"
#include "LineTool.h"
#include "PanTool.h"
#include "PathTool.h"
#include "RectangleTool.h"
#include "SmudgeTool.h"
#include "StampTool.h"
#include "TextTool.h"
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
    m_tools[Stamp] = new StampTool(context, this);
    m_tools[Smudge] = new SmudgeTool(context, this);
    m_tools[Gradient] = new GradientTool(context, this);
}

ZoomTool *ToolSet::zoomTool() const
{
    return static_cast<ZoomTool *>(m_tools[Zoom]);
}
