#include "ToolSet.h"

#include "BrushTool.h"
#include "CropTool.h"
#include "EraseTool.h"
#include "FillTool.h"
#include "LassoTool.h"
#include "MoveSelectionTool.h"
#include "MoveTool.h"
#include "PanTool.h"
#include "SelectTool.h"
#include "WandTool.h"
#include "ZoomTool.h"

ToolSet::ToolSet(ToolContext &context, QObject *pParent)
    : QObject(pParent)
{
    m_tools[Brush] = new BrushTool(context, this);
    m_tools[Zoom] = new ZoomTool(context, this);
    m_tools[Erase] = new EraseTool(context, this);
    m_tools[Pan] = new PanTool(context, this);
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
