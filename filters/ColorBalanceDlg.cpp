#include "ColorBalanceDlg.h"
#include "ui_ColorBalanceDlg.h"

ColorBalanceDlg::ColorBalanceDlg(const FilterParams &params, QWidget *pParent)
    : FilterDialog(pParent), ui(new Ui::ColorBalanceDlg)
{
    ui->setupUi(this);
    m_controls.Bind(this, params);
    m_controls.OnEdit(this, [this] { Q_EMIT Changed(); });
}

ColorBalanceDlg::~ColorBalanceDlg()
{
    delete ui;
}

FilterValues ColorBalanceDlg::Values() const
{
    FilterValues values;
    m_controls.Read(&values);
    return values;
}

void ColorBalanceDlg::SetValues(const FilterValues &values)
{
    m_controls.Show(values);
}
