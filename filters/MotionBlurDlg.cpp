#include "MotionBlurDlg.h"
#include "ui_MotionBlurDlg.h"

MotionBlurDlg::MotionBlurDlg(QWidget *pParent) : FilterDialog(pParent), ui(new Ui::MotionBlurDlg)
{
    ui->setupUi(this);
    FilterControls::Link(ui->angleDial, ui->angleSpinBox);
    FilterControls::Link(ui->distanceSlider, ui->distanceSpinBox);
    connect(ui->angleDial, &QDial::valueChanged, this, [this](int iValue) {
        Q_EMIT AngleChanged(iValue);
        Q_EMIT Changed();
    });
    connect(ui->distanceSlider, &QSlider::valueChanged, this, [this](int iValue) {
        Q_EMIT DistanceChanged(iValue);
        Q_EMIT Changed();
    });
}

MotionBlurDlg::~MotionBlurDlg()
{
    delete ui;
}

FilterValues MotionBlurDlg::Values() const
{
    FilterValues values;
    values.set(QStringLiteral("angle"), ui->angleDial->value());
    values.set(QStringLiteral("distance"), ui->distanceSlider->value());
    return values;
}

void MotionBlurDlg::SetValues(const FilterValues &values)
{
    FilterControls::Show(ui->angleDial, ui->angleSpinBox, values.value(QStringLiteral("angle")));
    FilterControls::Show(ui->distanceSlider, ui->distanceSpinBox, values.value(QStringLiteral("distance")));
}

void MotionBlurDlg::SetParams(const FilterParams &params)
{
    FilterControls::SetRange(ui->angleDial, ui->angleSpinBox, ParamFor(params, QStringLiteral("angle")));
    FilterControls::SetRange(ui->distanceSlider, ui->distanceSpinBox, ParamFor(params, QStringLiteral("distance")));
}
