#include "PixelateDlg.h"
#include "ui_PixelateDlg.h"

PixelateDlg::PixelateDlg(const QString &key, QWidget *pParent)
    : FilterDialog(pParent), ui(new Ui::PixelateDlg), m_key(key)
{
    ui->setupUi(this);
    FilterControls::Link(ui->sizeSlider, ui->sizeSpinBox);
    connect(ui->sizeSlider, &QSlider::valueChanged, this, [this](int iValue) {
        Q_EMIT PixelSizeChanged(iValue);
        Q_EMIT Changed();
    });
}

PixelateDlg::~PixelateDlg()
{
    delete ui;
}

void PixelateDlg::SetLabel(const QString &text)
{
    ui->sizeLabel->setText(text);
}

void PixelateDlg::SetValue(int iValue)
{
    FilterControls::Show(ui->sizeSlider, ui->sizeSpinBox, iValue);
}

void PixelateDlg::SetMinimum(int iMinimum)
{
    ui->sizeSlider->setMinimum(iMinimum);
    ui->sizeSpinBox->setMinimum(iMinimum);
}

void PixelateDlg::SetMaximum(int iMaximum)
{
    ui->sizeSlider->setMaximum(iMaximum);
    ui->sizeSpinBox->setMaximum(iMaximum);
}

int PixelateDlg::Value() const
{
    return ui->sizeSlider->value();
}

FilterValues PixelateDlg::Values() const
{
    FilterValues values;
    values.set(m_key, Value());
    return values;
}

void PixelateDlg::SetValues(const FilterValues &values)
{
    SetValue(values.value(m_key, Value()));
}

void PixelateDlg::SetParams(const FilterParams &params)
{
    FilterControls::SetRange(ui->sizeSlider, ui->sizeSpinBox, ParamFor(params, m_key));
}
