#pragma once
// "Emboss": each colour channel becomes 8 times itself minus its eight
// neighbours, plus 127, so flat areas turn mid grey.
#include "ConvolveFilter.h"

class EmbossFilter : public ConvolveFilter
{
    Q_OBJECT
public:
    explicit EmbossFilter(QObject *pParent = nullptr)
        : ConvolveFilter(QStringLiteral("Emboss"), QString(), ConvolutionMask{{-1, -1, -1, -1, 8, -1, -1, -1, -1}, 3, 1, 127}, pParent)
    {
    }
};
