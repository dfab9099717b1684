#include "ColorBalanceDlg.h"
#include "ui_ColorBalanceDlg.h"

ColorBalanceDlg::ColorBalanceDlg(QWidget *pParent) : FilterDialog(pParent), ui(new Ui::ColorBalanceDlg)
{
    ui->setupUi(this);
    const struct {
        QSlider *slider;
        QSpinBox *spin;
        void (ColorBalanceDlg::*signal)(int);
    } rows[] = {{ui->redSlider, ui->redSpinBox, &ColorBalanceDlg::RedChanged},
                {ui->greenSlider, ui->greenSpinBox, &ColorBalanceDlg::GreenChanged},
                {ui->blueSlider, ui->blueSpinBox, &ColorBalanceDlg::BlueChanged}};
    for (const auto &row : rows) {
        FilterControls::Link(row.slider, row.spin);
        connect(row.slider, &QSlider::valueChanged, this, [this, signal = row.signal](int iValue) {
            Q_EMIT(this->*signal)(iValue);
            Q_EMIT Changed();
        });
    }
    connect(ui->monochromeCheckBox, &QCheckBox::toggled, this, [this](bool bOn) {
        Q_EMIT MonochromeToggled(bOn);
        Q_EMIT Changed();
    });
}

ColorBalanceDlg::~ColorBalanceDlg()
{
    delete ui;
}

FilterValues ColorBalanceDlg::Values() const
{
    FilterValues values;
    values.set(QStringLiteral("red"), ui->redSlider->value());
    values.set(QStringLiteral("green"), ui->greenSlider->value());
    values.set(QStringLiteral("blue"), ui->blueSlider->value());
    values.set(QStringLiteral("monochrome"), ui->monochromeCheckBox->isChecked() ? 1 : 0);
    return values;
}

void ColorBalanceDlg::SetValues(const FilterValues &values)
{
    FilterControls::Show(ui->redSlider, ui->redSpinBox, values.value(QStringLiteral("red")));
    FilterControls::Show(ui->greenSlider, ui->greenSpinBox, values.value(QStringLiteral("green")));
    FilterControls::Show(ui->blueSlider, ui->blueSpinBox, values.value(QStringLiteral("blue")));
    const QSignalBlocker block(ui->monochromeCheckBox);
    ui->monochromeCheckBox->setChecked(values.value(QStringLiteral("monochrome")) != 0);
}

void ColorBalanceDlg::SetParams(const FilterParams &params)
{
    FilterControls::SetRange(ui->redSlider, ui->redSpinBox, ParamFor(params, QStringLiteral("red")));
    FilterControls::SetRange(ui->greenSlider, ui->greenSpinBox, ParamFor(params, QStringLiteral("green")));
    FilterControls::SetRange(ui->blueSlider, ui->blueSpinBox, ParamFor(params, QStringLiteral("blue")));
}
