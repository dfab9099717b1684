#include "HueChangeFilterDlg.h"
#include "HueModifyWidget.h"
#include "ui_HueChangeFilterDlg.h"

HueChangeFilterDlg::HueChangeFilterDlg(const FilterParams &params, QWidget *pParent)
    : FilterDialog(pParent), ui(new Ui::HueChangeFilterDlg)
{
    ui->setupUi(this);
    QStringList own;
    for (const FilterParam &param : params)
        if (param.control == FilterParam::Custom)
            own << param.key;
    Q_ASSERT(own.size() == 2);
    m_hueKey = own.value(0);
    m_rangeKey = own.value(1);
    m_controls.Bind(this, params);
    m_controls.OnEdit(this, [this] { Q_EMIT Changed(); });
    connect(ui->hueControl, &HueModifyWidget::HueChanged, this, &FilterDialog::Changed);
    connect(ui->useRangeCheckBox, &QCheckBox::toggled, this, &FilterDialog::Changed);
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
    values.set(m_hueKey, int(ui->hueControl->Hue()));
    m_controls.Read(&values);
    if (ui->useRangeCheckBox->isChecked())
        values.set(m_rangeKey, QList<int>{int(ui->hueControl->RangeStart()), int(ui->hueControl->RangeSpan())});
    return values;
}

void HueChangeFilterDlg::SetValues(const FilterValues &values)
{
    ui->hueControl->SetHue(values.value(m_hueKey));
    m_controls.Show(values);
    const bool bRange = values.has(m_rangeKey);
    if (bRange) {
        const QList<int> range = values.list(m_rangeKey);
        ui->hueControl->SetRange(range.value(0), range.value(1));
    }
    const QSignalBlocker block(ui->useRangeCheckBox);
    ui->useRangeCheckBox->setChecked(bRange);
}
