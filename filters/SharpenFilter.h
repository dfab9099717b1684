#pragma once
// "Sharpen": each colour channel becomes (11 times itself minus twice each
// of its four direct neighbours) / 3, so flat areas stay as they are.
#include "ConvolveFilter.h"

class SharpenFilter : public ConvolveFilter
{
    Q_OBJECT
public:
    explicit SharpenFilter(QObject *pParent = nullptr)
        : ConvolveFilter(QStringLiteral("Sharpen"), QStringLiteral(":/icons/diamond.png"),
                         ConvolutionMask{{0, -2, 0, -2, 11, -2, 0, -2, 0}, 3, 3, 0}, pParent)
    {
    }
};
