#include "FilterDialog.h"

#include <QAbstractSlider>
#include <QCheckBox>
#include <QSignalBlocker>
#include <QSpinBox>

FilterParam ParamFor(const FilterParams &params, const QString &key)
{
    for (const FilterParam &p : params)
        if (p.key == key)
            return p;
    qWarning("filter table: no entry \"%s\"", qPrintable(key));
    Q_ASSERT_X(false, "ParamFor", "unknown parameter key");
    return FilterParam();
}

namespace {

template <typename T>
T *control(QWidget *pForm, const QString &name)
{
    T *pControl = pForm->findChild<T *>(name);
    if (!pControl) {
        qWarning("filter table: the form \"%s\" has no control \"%s\"", qPrintable(pForm->objectName()), qPrintable(name));
        Q_ASSERT_X(false, "ParamControls", "missing control");
    }
    return pControl;
}

} // namespace

void ParamControls::Bind(QWidget *pForm, const FilterParams &params, const QString &spinSuffix)
{
    m_bound.clear();
    for (const FilterParam &param : params) {
        Bound bound{param.key};
        switch (param.control) {
        case FilterParam::Slider:
        case FilterParam::Dial:
            bound.pSlider = control<QAbstractSlider>(
                pForm, param.stem() + (param.control == FilterParam::Dial ? QLatin1String("Dial") : QLatin1String("Slider")));
            bound.pSpinBox = control<QSpinBox>(pForm, param.stem() + spinSuffix);
            if (!bound.pSlider || !bound.pSpinBox)
                continue;
            FilterControls::SetRange(bound.pSlider, bound.pSpinBox, param);
            QObject::connect(bound.pSlider, &QAbstractSlider::valueChanged, bound.pSpinBox, &QSpinBox::setValue,
                             Qt::UniqueConnection);
            QObject::connect(bound.pSpinBox, &QSpinBox::valueChanged, bound.pSlider, &QAbstractSlider::setValue,
                             Qt::UniqueConnection);
            break;
        case FilterParam::CheckBox:
            bound.pCheckBox = control<QCheckBox>(pForm, param.stem() + QLatin1String("CheckBox"));
            if (!bound.pCheckBox)
                continue;
            break;
        case FilterParam::Custom:
        case FilterParam::Hidden:
            continue;
        }
        m_bound.append(bound);
    }
}

void ParamControls::OnEdit(QObject *pContext, const std::function<void()> &changed) const
{
    for (const Bound &bound : m_bound) {
        if (bound.pSlider)
            QObject::connect(bound.pSlider, &QAbstractSlider::valueChanged, pContext, changed);
        if (bound.pCheckBox)
            QObject::connect(bound.pCheckBox, &QCheckBox::toggled, pContext, changed);
    }
}

void ParamControls::Read(FilterValues *pValues) const
{
    for (const Bound &bound : m_bound)
        pValues->set(bound.key, bound.pSlider ? bound.pSlider->value() : int(bound.pCheckBox->isChecked()));
}

void ParamControls::Show(const FilterValues &values) const
{
    for (const Bound &bound : m_bound) {
        if (!values.has(bound.key))
            continue;
        const int value = values.value(bound.key);
        if (bound.pSlider) {
            FilterControls::Show(bound.pSlider, bound.pSpinBox, value);
        } else {
            const QSignalBlocker block(bound.pCheckBox);
            bound.pCheckBox->setChecked(value != 0);
        }
    }
}

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
