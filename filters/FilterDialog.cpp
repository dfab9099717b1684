#include "FilterDialog.h"

FilterParam ParamFor(const FilterParams &params, const QString &key)
{
    for (const FilterParam &p : params)
        if (p.key == key)
            return p;
    return FilterParam();
}

#include <QAbstractSlider>
#include <QSignalBlocker>
#include <QSpinBox>

namespace FilterControls {

void Link(QAbstractSlider *pSlider, QSpinBox *pSpinBox)
{
    QObject::connect(pSlider, &QAbstractSlider::valueChanged, pSpinBox, &QSpinBox::setValue);
    QObject::connect(pSpinBox, &QSpinBox::valueChanged, pSlider, &QAbstractSlider::setValue);
}

void Show(QAbstractSlider *pSlider, QSpinBox *pSpinBox, int iValue)
{
    const QSignalBlocker blockSlider(pSlider);
    const QSignalBlocker blockSpin(pSpinBox);
    pSlider->setValue(iValue);
    pSpinBox->setValue(iValue);
}

void SetRange(QAbstractSlider *pSlider, QSpinBox *pSpinBox, const FilterParam &param)
{
    const QSignalBlocker blockSlider(pSlider);
    const QSignalBlocker blockSpin(pSpinBox);
    pSlider->setRange(param.minimum, param.maximum);
    pSpinBox->setRange(param.minimum, param.maximum);
}

} // namespace FilterControls
