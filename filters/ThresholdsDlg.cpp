#include "ThresholdsDlg.h"
#include "ui_ThresholdsDlg.h"

namespace {
const char *const kKeys[3] = {"red", "green", "blue"};
}

ThresholdsDlg::ThresholdsDlg(const QString &title, QWidget *pParent) : FilterDialog(pParent), ui(new Ui::ThresholdsDlg)
{
    ui->setupUi(this);
    setWindowTitle(title);
    FilterControls::Link(ui->thresholdRedSlider, ui->thresholdRedSpinBox);
    FilterControls::Link(ui->thresholdGreenSlider, ui->thresholdGreenSpinBox);
    FilterControls::Link(ui->thresholdBlueSlider, ui->thresholdBlueSpinBox);
    for (int i = 0; i < 3; ++i) {
        m_previous[i] = Slider(i)->value();
        connect(Slider(i), &QSlider::valueChanged, this, [this, i](int iValue) { SliderMoved(i, iValue); });
    }
    connect(ui->lockChannels, &QCheckBox::toggled, this, &FilterDialog::Changed);
}

ThresholdsDlg::~ThresholdsDlg()
{
    delete ui;
}

QSlider *ThresholdsDlg::Slider(int iChannel) const
{
    QSlider *const sliders[3] = {ui->thresholdRedSlider, ui->thresholdGreenSlider, ui->thresholdBlueSlider};
    return sliders[iChannel];
}

void ThresholdsDlg::SliderMoved(int iChannel, int iValue)
{
    const int delta = iValue - m_previous[iChannel];
    m_previous[iChannel] = iValue;
    if (m_bFollowing)
        return;
    if (ui->lockChannels->isChecked() && delta != 0) {
        m_bFollowing = true;
        for (int j = 0; j < 3; ++j) {
            if (j == iChannel)
                continue;
            QSlider *pOther = Slider(j);
            pOther->setValue(qBound(0, pOther->value() + delta, pOther->maximum()));
        }
        m_bFollowing = false;
    }
    Q_EMIT Changed();
}

FilterValues ThresholdsDlg::Values() const
{
    FilterValues values;
    for (int i = 0; i < 3; ++i)
        values.set(QLatin1String(kKeys[i]), Slider(i)->value());
    return values;
}

void ThresholdsDlg::SetValues(const FilterValues &values)
{
    QSpinBox *const spins[3] = {ui->thresholdRedSpinBox, ui->thresholdGreenSpinBox, ui->thresholdBlueSpinBox};
    for (int i = 0; i < 3; ++i) {
        FilterControls::Show(Slider(i), spins[i], values.value(QLatin1String(kKeys[i]), Slider(i)->value()));
        m_previous[i] = Slider(i)->value();
    }
}

void ThresholdsDlg::SetParams(const FilterParams &params)
{
    QSpinBox *const spins[3] = {ui->thresholdRedSpinBox, ui->thresholdGreenSpinBox, ui->thresholdBlueSpinBox};
    for (int i = 0; i < 3; ++i) {
        FilterControls::SetRange(Slider(i), spins[i], ParamFor(params, QLatin1String(kKeys[i])));
        m_previous[i] = Slider(i)->value();
    }
}
