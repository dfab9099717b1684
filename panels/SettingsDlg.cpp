#include "SettingsDlg.h"
#include "ui_SettingsDlg.h"

#include <QSettings>
#include <QSpinBox>

SettingsDlg::SettingsDlg(QWidget *parent)
    : CQDialog(parent)
    , ui(new Ui::SettingsDlg)
{
    ui->setupUi(this);
    setTitle(windowTitle());
    ui->tabbedDocuments->setChecked(QSettings().value(QStringLiteral("TabbedDocuments"), false).toBool());
    bool bOk = false;
    const int iSeconds = QSettings().value(QStringLiteral("AutosaveInterval"), 60).toInt(&bOk);
    ui->autosaveInterval->setValue(bOk ? iSeconds : 60);
    connect(ui->autosaveInterval, &QSpinBox::valueChanged, this, [this](int iValue) {
        QSettings().setValue(QStringLiteral("AutosaveInterval"), iValue);
        Q_EMIT AutosaveIntervalChanged(iValue);
    });
}

SettingsDlg::~SettingsDlg()
{
    delete ui;
}

void SettingsDlg::on_openCLForceCPU_toggled(bool bState)
{
    QSettings().setValue(QStringLiteral("OpenCLForceCPU"), bState);
}

void SettingsDlg::on_tabbedDocuments_toggled(bool bState)
{
    QSettings().setValue(QStringLiteral("TabbedDocuments"), bState);
    Q_EMIT TabbedDocumentsChanged(bState);
}

void SettingsDlg::on_openCLLoadKernelAtStartup_toggled(bool bState)
{
    QSettings().setValue(QStringLiteral("OpenCLLoadKernelAtStartup"), bState);
}
