#include "BrushWidths.h"

#include <QComboBox>

namespace BrushWidths {

QList<int> All()
{
    QList<int> widths;
    for (int w = 1; w <= 15; ++w)
        widths << w;
    for (int w = 20; w <= 100; w += 5)
        widths << w;
    for (int w = 125; w <= 400; w += 25)
        widths << w;
    return widths;
}

QComboBox *MakeCombo(int iCurrent)
{
    auto *pCombo = new QComboBox;
    for (int w : All())
        pCombo->addItem(QString::number(w));
    pCombo->setCurrentIndex(pCombo->findText(QString::number(iCurrent)));
    return pCombo;
}

void Step(QComboBox *pCombo, int iDelta)
{
    if (!pCombo)
        return;
    const int index = pCombo->currentIndex();
    if (iDelta > 0 && index + 1 < pCombo->count())
        pCombo->setCurrentIndex(index + 1);
    else if (iDelta < 0 && index - 1 >= 1)
        pCombo->setCurrentIndex(index - 1);
}

} // namespace BrushWidths
