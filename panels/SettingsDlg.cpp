#include "SettingsDlg.h"
#include "ui_SettingsDlg.h"

#include <QSettings>

SettingsDlg::SettingsDlg(QWidget *parent)
    : CQDialog(parent)
    , ui(new Ui::SettingsDlg)
{
    ui->setupUi(this);
    setTitle(windowTitle());
    ui->tabbedDocuments->setChecked(QSettings().value(QStringLiteral("TabbedDocuments"), false).toBool());
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
