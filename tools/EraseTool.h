#pragma once
#include "RoundTipTool.h"

// Erases along the mouse path with a round pen of the chosen width, inside
// the selection.
class EraseTool : public RoundTipTool {
    Q_OBJECT
public:
    explicit EraseTool(ToolContext &context, QObject *pParent = nullptr);

protected:
    bool StartStroke(PixmapLayer *pLayer, QPoint point, Qt::KeyboardModifiers keys) override;
    void StrokeTo(QPoint point) override;
};
