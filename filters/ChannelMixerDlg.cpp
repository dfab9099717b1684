#include "ChannelMixerDlg.h"
#include "ui_ChannelMixerDlg.h"

namespace {
const char *const kRowKeys[4] = {"red", "green", "blue", "gray"};
constexpr int kMonochromeRow = 3;
} // namespace

ChannelMixerDlg::ChannelMixerDlg(QWidget *pParent) : FilterDialog(pParent), ui(new Ui::ChannelMixerDlg)
{
    ui->setupUi(this);
    QSlider *const sliders[3] = {ui->redSlider, ui->greenSlider, ui->blueSlider};
    QSpinBox *const spins[3] = {ui->redSpinBox, ui->greenSpinBox, ui->blueSpinBox};
    for (int i = 0; i < 3; ++i) {
        FilterControls::Link(sliders[i], spins[i]);
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
        values.set(QLatin1String(kRowKeys[row]), QList<int>{m_rows[row][0], m_rows[row][1], m_rows[row][2]});
    values.set(QStringLiteral("monochrome"), ui->monochromeCheckBox->isChecked() ? 1 : 0);
    values.set(QStringLiteral("luminosity"), ui->luminosityCheckBox->isChecked() ? 1 : 0);
    return values;
}

void ChannelMixerDlg::SetValues(const FilterValues &values)
{
    for (int row = 0; row < 4; ++row) {
        const QList<int> given = values.list(QLatin1String(kRowKeys[row]));
        for (int i = 0; i < 3 && given.size() == 3; ++i)
            m_rows[row][i] = given[i];
    }
    {
        const QSignalBlocker blockMono(ui->monochromeCheckBox);
        const QSignalBlocker blockLuminosity(ui->luminosityCheckBox);
        ui->monochromeCheckBox->setChecked(values.value(QStringLiteral("monochrome")) != 0);
        ui->luminosityCheckBox->setChecked(values.value(QStringLiteral("luminosity")) != 0);
    }
    ui->channelComboBox->setEnabled(!ui->monochromeCheckBox->isChecked());
    ShowRow();
}

void ChannelMixerDlg::SetParams(const FilterParams &params)
{
    const FilterParam row = ParamFor(params, QStringLiteral("red"));
    FilterControls::SetRange(ui->redSlider, ui->redSpinBox, row);
    FilterControls::SetRange(ui->greenSlider, ui->greenSpinBox, row);
    FilterControls::SetRange(ui->blueSlider, ui->blueSpinBox, row);
}
