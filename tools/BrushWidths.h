#pragma once
#include <QList>

class QComboBox;

// The widths the painting tools offer (1 to 15, 20 to 100 by 5, 125 to 400
// by 25) and the wheel's way through them.
namespace BrushWidths {

QList<int> All();
// A combo box listing the widths with `iCurrent` selected.
QComboBox *MakeCombo(int iCurrent);
// The wheel over the canvas: up selects the next width, down the previous
// one, but never the first (1).
void Step(QComboBox *pCombo, int iDelta);

} // namespace BrushWidths
