#pragma once
#include <QSize>
#include <QString>

// The proportion rule shared by the size dialogs. Zero sizes never divide:
// a zero height gives ratio 0, a zero side leaves the pair unreduced.
class AspectRatio {
public:
    // width / height, or 0 when the height is 0.
    static double Ratio(int iWidth, int iHeight);
    // The pair divided by its greatest common divisor ("800 x 600" -> 4:3).
    static QSize Reduced(int iWidth, int iHeight);
    // "4:3 (1.33)": the reduced pair and the ratio to 3 significant digits.
    static QString Text(int iWidth, int iHeight);
    // The other side for a changed one, truncated toward zero; 0 for ratio 0.
    static int HeightFor(int iWidth, double dRatio);
    static int WidthFor(int iHeight, double dRatio);
};
