#pragma once
#include "RetouchTool.h"

// Blurs under the brush: the 3 x 3 average.
class SmoothTool : public RetouchTool {
    Q_OBJECT
public:
    explicit SmoothTool(ToolContext &context, QObject *pParent = nullptr)
        : RetouchTool(context, {{1, 1, 1, 1, 1, 1, 1, 1, 1}, 3, 9, 0}, QStringLiteral("Smooth"), pParent)
    {
    }
};
