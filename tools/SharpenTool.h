#pragma once
#include "RetouchTool.h"

// Sharpens under the brush: the pixel against its four neighbours. The
// weights add up to the factor, so flat areas stay as they are.
class SharpenTool : public RetouchTool {
    Q_OBJECT
public:
    explicit SharpenTool(ToolContext &context, QObject *pParent = nullptr)
        : RetouchTool(context, {{0, -2, 0, -2, 11, -2, 0, -2, 0}, 3, 3, 0}, QStringLiteral("Sharpen"), pParent)
    {
    }
};
