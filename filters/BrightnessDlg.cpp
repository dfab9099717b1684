#include "BrightnessDlg.h"
#include "ui_BrightnessDlg.h"

BrightnessDlg::BrightnessDlg(QWidget *pParent) : FilterDialog(pParent), ui(new Ui::BrightnessDlg)
{
    ui->setupUi(this);
    FilterControls::Link(ui->brightnessSlider, ui->brightnessSpinBox);
    FilterControls::Link(ui->contrastSlider, ui->contrastSpinBox);
    connect(ui->brightnessSlider, &QSlider::valueChanged, this, [this](int iValue) {
        Q_EMIT BrightnessChanged(iValue);
        Q_EMIT Changed();
    });
    connect(ui->contrastSlider, &QSlider::valueChanged, this, [this](int iValue) {
        Q_EMIT ContrastChanged(iValue);
        Q_EMIT Changed();
    });
}

BrightnessDlg::~BrightnessDlg()
{
    delete ui;
}

FilterValues BrightnessDlg::Values() const
{
    FilterValues values;
    values.set(QStringLiteral("brightness"), ui->brightnessSlider->value());
    values.set(QStringLiteral("contrast"), ui->contrastSlider->value());
    return values;
}

void BrightnessDlg::SetValues(const FilterValues &values)
{
    FilterControls::Show(ui->brightnessSlider, ui->brightnessSpinBox, values.value(QStringLiteral("brightness")));
    FilterControls::Show(ui->contrastSlider, ui->contrastSpinBox, values.value(QStringLiteral("contrast")));
}

void BrightnessDlg::SetParams(const FilterParams &params)
{
    FilterControls::SetRange(ui->brightnessSlider, ui->brightnessSpinBox, ParamFor(params, QStringLiteral("brightness")));
    FilterControls::SetRange(ui->contrastSlider, ui->contrastSpinBox, ParamFor(params, QStringLiteral("contrast")));
}
