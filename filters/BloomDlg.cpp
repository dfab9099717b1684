#include "BloomDlg.h"
#include "ui_BloomDlg.h"

BloomDlg::BloomDlg(QWidget *pParent) : FilterDialog(pParent), ui(new Ui::BloomDlg)
{
    ui->setupUi(this);
    FilterControls::Link(ui->thresholdSlider, ui->thresholdSpinner);
    FilterControls::Link(ui->radiusSlider, ui->radiusSpinner);
    connect(ui->thresholdSlider, &QSlider::valueChanged, this, [this](int iValue) {
        Q_EMIT ThresholdChanged(iValue);
        Q_EMIT Changed();
    });
    connect(ui->radiusSlider, &QSlider::valueChanged, this, [this](int iValue) {
        Q_EMIT RadiusChanged(iValue);
        Q_EMIT Changed();
    });
}

BloomDlg::~BloomDlg()
{
    delete ui;
}

FilterValues BloomDlg::Values() const
{
    FilterValues values;
    values.set(QStringLiteral("threshold"), ui->thresholdSlider->value());
    values.set(QStringLiteral("radius"), ui->radiusSlider->value());
    return values;
}

void BloomDlg::SetValues(const FilterValues &values)
{
    FilterControls::Show(ui->thresholdSlider, ui->thresholdSpinner, values.value(QStringLiteral("threshold"), ui->thresholdSlider->value()));
    FilterControls::Show(ui->radiusSlider, ui->radiusSpinner, values.value(QStringLiteral("radius"), ui->radiusSlider->value()));
}

void BloomDlg::SetParams(const FilterParams &params)
{
    FilterControls::SetRange(ui->thresholdSlider, ui->thresholdSpinner, ParamFor(params, QStringLiteral("threshold")));
    FilterControls::SetRange(ui->radiusSlider, ui->radiusSpinner, ParamFor(params, QStringLiteral("radius")));
}
