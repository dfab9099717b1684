#include "SettingsDlg.h"
#include "ui_SettingsDlg.h"

#include <QSettings>

SettingsDlg::SettingsDlg(QWidget *parent)
    : CQDialog(parent)
    , ui(new Ui::SettingsDlg)
{
    ui->setupUi(this);
    setTitle(windowTitle());
}

SettingsDlg::~SettingsDlg()
{
    delete ui;
}

void SettingsDlg::on_openCLForceCPU_toggled(bool bState)
{
    QSettings().setValue(QStringLiteral("OpenCLForceCPU"), bState);
}

void SettingsDlg::on_openCLLoadKernelAtStartup_toggled(bool bState)
{
    QSettings().setValue(QStringLiteral("OpenCLLoadKernelAtStartup"), bState);
}
