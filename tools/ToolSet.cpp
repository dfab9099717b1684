#include "ToolSet.h"

#include "PanTool.h"
#include "ZoomTool.h"

ToolSet::ToolSet(ToolContext &context, QObject *pParent)
    : QObject(pParent)
{
    m_tools[Zoom] = new ZoomTool(context, this);
    m_tools[Pan] = new PanTool(context, this);
}

ZoomTool *ToolSet::zoomTool() const
{
    return static_cast<ZoomTool *>(m_tools[Zoom]);
}
