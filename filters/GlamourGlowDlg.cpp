#include "GlamourGlowDlg.h"
#include "ui_GlamourGlowDlg.h"

GlamourGlowDlg::GlamourGlowDlg(QWidget *pParent) : FilterDialog(pParent), ui(new Ui::GlamourGlowDlg)
{
    ui->setupUi(this);
    FilterControls::Link(ui->blurSlider, ui->blurSpinBox);
    FilterControls::Link(ui->intensitySlider, ui->intensitySpinBox);
    connect(ui->blurSlider, &QSlider::valueChanged, this, [this](int iValue) {
        Q_EMIT BlurChanged(iValue);
        Q_EMIT Changed();
    });
    connect(ui->intensitySlider, &QSlider::valueChanged, this, [this](int iValue) {
        Q_EMIT IntensityChanged(iValue);
        Q_EMIT Changed();
    });
}

GlamourGlowDlg::~GlamourGlowDlg()
{
    delete ui;
}

FilterValues GlamourGlowDlg::Values() const
{
    FilterValues values;
    values.set(QStringLiteral("blur"), ui->blurSlider->value());
    values.set(QStringLiteral("intensity"), ui->intensitySlider->value());
    return values;
}

void GlamourGlowDlg::SetValues(const FilterValues &values)
{
    FilterControls::Show(ui->blurSlider, ui->blurSpinBox, values.value(QStringLiteral("blur"), ui->blurSlider->value()));
    FilterControls::Show(ui->intensitySlider, ui->intensitySpinBox, values.value(QStringLiteral("intensity"), ui->intensitySlider->value()));
}

void GlamourGlowDlg::SetParams(const FilterParams &params)
{
    FilterControls::SetRange(ui->blurSlider, ui->blurSpinBox, ParamFor(params, QStringLiteral("blur")));
    FilterControls::SetRange(ui->intensitySlider, ui->intensitySpinBox, ParamFor(params, QStringLiteral("intensity")));
}
