#include "HueChangeFilterDlg.h"
#include "HueModifyWidget.h"
#include "ui_HueChangeFilterDlg.h"

HueChangeFilterDlg::HueChangeFilterDlg(QWidget *pParent) : FilterDialog(pParent), ui(new Ui::HueChangeFilterDlg)
{
    ui->setupUi(this);
    FilterControls::Link(ui->saturationSlider, ui->saturationSpinBox);
    FilterControls::Link(ui->lightnessSlider, ui->lightnessSpinBox);
    connect(ui->hueControl, &HueModifyWidget::HueChanged, this, &FilterDialog::Changed);
    connect(ui->useRangeCheckBox, &QCheckBox::toggled, this, &FilterDialog::Changed);
    connect(ui->saturationSlider, &QSlider::valueChanged, this, &FilterDialog::Changed);
    connect(ui->lightnessSlider, &QSlider::valueChanged, this, &FilterDialog::Changed);
}

HueChangeFilterDlg::~HueChangeFilterDlg()
{
    delete ui;
}

HueModifyWidget *HueChangeFilterDlg::Wheel() const
{
    return ui->hueControl;
}

FilterValues HueChangeFilterDlg::Values() const
{
    FilterValues values;
    values.set(QStringLiteral("hue"), int(ui->hueControl->Hue()));
    values.set(QStringLiteral("saturation"), ui->saturationSlider->value());
    values.set(QStringLiteral("lightness"), ui->lightnessSlider->value());
    if (ui->useRangeCheckBox->isChecked())
        values.set(QStringLiteral("range"), QList<int>{int(ui->hueControl->RangeStart()), int(ui->hueControl->RangeSpan())});
    return values;
}

void HueChangeFilterDlg::SetValues(const FilterValues &values)
{
    ui->hueControl->SetHue(values.value(QStringLiteral("hue")));
    FilterControls::Show(ui->saturationSlider, ui->saturationSpinBox, values.value(QStringLiteral("saturation")));
    FilterControls::Show(ui->lightnessSlider, ui->lightnessSpinBox, values.value(QStringLiteral("lightness")));
    const QList<int> range = values.list(QStringLiteral("range"));
    if (range.size() == 2)
        ui->hueControl->SetRange(range[0], range[1]);
    const QSignalBlocker block(ui->useRangeCheckBox);
    ui->useRangeCheckBox->setChecked(range.size() == 2);
}

void HueChangeFilterDlg::SetParams(const FilterParams &params)
{
    FilterControls::SetRange(ui->saturationSlider, ui->saturationSpinBox, ParamFor(params, QStringLiteral("saturation")));
    FilterControls::SetRange(ui->lightnessSlider, ui->lightnessSpinBox, ParamFor(params, QStringLiteral("lightness")));
}
