#include "ThresholdsDlg.h"
#include "ui_ThresholdsDlg.h"

ThresholdsDlg::ThresholdsDlg(const QString &title, const FilterParams &params, QWidget *pParent)
    : FilterDialog(pParent), ui(new Ui::ThresholdsDlg)
{
    ui->setupUi(this);
    setWindowTitle(title);
    m_controls.Bind(this, params);
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
    m_controls.Read(&values);
    return values;
}

void ThresholdsDlg::SetValues(const FilterValues &values)
{
    m_controls.Show(values);
    for (int i = 0; i < 3; ++i)
        m_previous[i] = Slider(i)->value();
}
