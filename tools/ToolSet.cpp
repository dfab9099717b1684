#include "ToolSet.h"

#include "BrushTool.h"
#include "EraseTool.h"
#include "PanTool.h"
#include "ZoomTool.h"

ToolSet::ToolSet(ToolContext &context, QObject *pParent)
    : QObject(pParent)
{
    m_tools[Brush] = new BrushTool(context, this);
    m_tools[Zoom] = new ZoomTool(context, this);
    m_tools[Erase] = new EraseTool(context, this);
    m_tools[Pan] = new PanTool(context, this);
}

ZoomTool *ToolSet::zoomTool() const
{
    return static_cast<ZoomTool *>(m_tools[Zoom]);
}
