#include "ParamDialog.h"

#include <QCheckBox>
#include <QDial>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QSlider>
#include <QSpinBox>

FilterForm FilterForm::SizeDialog(const QString &title)
{
    return {title, QStringLiteral("pixelatedlg"), QSize(276, 145)};
}

namespace {

// Grid columns: the label's icon or the low end's, the control, the high
// end's icon, the spin box. Empty columns take no room.
enum Column { kLowIcon, kControl, kHighIcon, kSpinBox, kColumns };

QLabel *iconLabel(QWidget *pParent, const QString &name, const QString &path)
{
    auto *pIcon = new QLabel(pParent);
    pIcon->setObjectName(name);
    pIcon->setMaximumSize(16, 16);
    pIcon->setScaledContents(true);
    pIcon->setPixmap(QPixmap(path));
    return pIcon;
}

} // namespace

ParamDialog::ParamDialog(const FilterForm &form, const FilterParams &params, QWidget *pParent)
    : FilterDialog(pParent)
{
    setObjectName(form.objectName);
    setWindowTitle(form.title);
    auto *pGrid = new QGridLayout(this);
    int row = 0;
    for (const FilterParam &param : params) {
        const QString stem = param.stem();
        if (param.control == FilterParam::CheckBox) {
            auto *pCheck = new QCheckBox(param.label, this);
            pCheck->setObjectName(stem + QLatin1String("CheckBox"));
            pGrid->addWidget(pCheck, row++, kControl, 1, kColumns - kControl);
            continue;
        }
        if (param.control != FilterParam::Slider && param.control != FilterParam::Dial)
            continue;
        auto *pLabel = new QLabel(param.label, this);
        pLabel->setObjectName(stem + QLatin1String("Label"));
        auto *pSpin = new QSpinBox(this);
        pSpin->setObjectName(stem + form.spinSuffix);
        if (!param.icon.isEmpty())
            pGrid->addWidget(iconLabel(this, stem + QLatin1String("Icon"), param.icon), row, kLowIcon);
        if (param.control == FilterParam::Dial) {
            // The angle's number sits beside its label, the dial below both.
            auto *pDial = new QDial(this);
            pDial->setObjectName(stem + QLatin1String("Dial"));
            pDial->setWrapping(true);
            pDial->setNotchesVisible(true);
            pGrid->addWidget(pLabel, row, kControl, 1, 2);
            pGrid->addWidget(pSpin, row++, kSpinBox);
            // Room to spare goes to the dial.
            pGrid->setRowStretch(row, 1);
            pGrid->addWidget(pDial, row++, kControl, 1, kColumns - kControl);
            continue;
        }
        auto *pSlider = new QSlider(Qt::Horizontal, this);
        pSlider->setObjectName(stem + QLatin1String("Slider"));
        pGrid->addWidget(pLabel, row++, kControl, 1, kColumns - kControl);
        if (!param.lowIcon.isEmpty())
            pGrid->addWidget(iconLabel(this, stem + QLatin1String("LowIcon"), param.lowIcon), row, kLowIcon);
        pGrid->addWidget(pSlider, row, kControl);
        if (!param.highIcon.isEmpty())
            pGrid->addWidget(iconLabel(this, stem + QLatin1String("HighIcon"), param.highIcon), row, kHighIcon);
        pGrid->addWidget(pSpin, row++, kSpinBox);
    }
    auto *pButtons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    pButtons->setObjectName(QStringLiteral("buttonBox"));
    pGrid->addWidget(pButtons, row, 0, 1, kColumns);
    connect(pButtons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(pButtons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    m_controls.Bind(this, params, form.spinSuffix);
    m_controls.OnEdit(this, [this] { Q_EMIT Changed(); });
    if (form.size.isValid())
        resize(form.size);
}

FilterValues ParamDialog::Values() const
{
    FilterValues values;
    m_controls.Read(&values);
    return values;
}

void ParamDialog::SetValues(const FilterValues &values)
{
    m_controls.Show(values);
}
