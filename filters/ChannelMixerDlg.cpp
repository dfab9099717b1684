#include "ChannelMixerDlg.h"
#include "ui_ChannelMixerDlg.h"

namespace {
constexpr int kMonochromeRow = 3;
} // namespace

ChannelMixerDlg::ChannelMixerDlg(const FilterParams &params, QWidget *pParent)
    : FilterDialog(pParent), ui(new Ui::ChannelMixerDlg)
{
    ui->setupUi(this);
    for (const FilterParam &param : params)
        if (param.control == FilterParam::Custom)
            m_rowKeys << param.key;
    Q_ASSERT(m_rowKeys.size() == 4);
    m_controls.Bind(this, params);
    QSlider *const sliders[3] = {ui->redSlider, ui->greenSlider, ui->blueSlider};
    QSpinBox *const spins[3] = {ui->redSpinBox, ui->greenSpinBox, ui->blueSpinBox};
    for (int i = 0; i < 3; ++i) {
        FilterControls::Link(sliders[i], spins[i]);
        FilterControls::SetRange(sliders[i], spins[i], ParamFor(params, m_rowKeys.value(0)));
        connect(sliders[i], &QSlider::valueChanged, this, [this, i](int iValue) { SliderMoved(i, iValue); });
    }
    connect(ui->channelComboBox, &QComboBox::currentTextChanged, this, [this] {
        ShowRow();
        Q_EMIT Change();
        Q_EMIT Changed();
    });
    connect(ui->monochromeCheckBox, &QCheckBox::toggled, this, [this](bool bOn) {
        ui->channelComboBox->setEnabled(!bOn);
        ShowRow();
        Q_EMIT Change();
        Q_EMIT Changed();
    });
    connect(ui->luminosityCheckBox, &QCheckBox::toggled, this, [this] {
        Q_EMIT Change();
        Q_EMIT Changed();
    });
    ShowRow();
}

ChannelMixerDlg::~ChannelMixerDlg()
{
    delete ui;
}

int ChannelMixerDlg::ShownRow() const
{
    if (ui->monochromeCheckBox->isChecked())
        return kMonochromeRow;
    const QString text = ui->channelComboBox->currentText();
    if (text == QLatin1String("Green"))
        return 1;
    if (text == QLatin1String("Blue"))
        return 2;
    return 0;
}

void ChannelMixerDlg::ShowRow()
{
    const int row = ShownRow();
    FilterControls::Show(ui->redSlider, ui->redSpinBox, m_rows[row][0]);
    FilterControls::Show(ui->greenSlider, ui->greenSpinBox, m_rows[row][1]);
    FilterControls::Show(ui->blueSlider, ui->blueSpinBox, m_rows[row][2]);
}

void ChannelMixerDlg::SliderMoved(int iSource, int iValue)
{
    int &stored = m_rows[ShownRow()][iSource];
    if (stored != iValue)
        stored = iValue;
    Q_EMIT Change();
    Q_EMIT Changed();
}

FilterValues ChannelMixerDlg::Values() const
{
    FilterValues values;
    for (int row = 0; row < 4; ++row)
        values.set(m_rowKeys.value(row), QList<int>{m_rows[row][0], m_rows[row][1], m_rows[row][2]});
    m_controls.Read(&values);
    return values;
}

void ChannelMixerDlg::SetValues(const FilterValues &values)
{
    for (int row = 0; row < 4; ++row) {
        const QList<int> given = values.list(m_rowKeys.value(row));
        for (int i = 0; i < 3 && i < given.size(); ++i)
            m_rows[row][i] = given[i];
    }
    m_controls.Show(values);
    ui->channelComboBox->setEnabled(!ui->monochromeCheckBox->isChecked());
    ShowRow();
}
