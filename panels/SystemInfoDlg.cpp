#include "SystemInfoDlg.h"
#include "OpenCLReport.h"
#include "ui_SystemInfoDlg.h"

SystemInfoDlg::SystemInfoDlg(QWidget *parent) : SystemInfoDlg(openCLReport(), parent) {}

SystemInfoDlg::SystemInfoDlg(const QString &report, QWidget *parent)
    : CQDialog(parent), ui(new Ui::SystemInfoDlg)
{
    ui->setupUi(this);
    ui->OpenCLInfo->setPlainText(report);
}

SystemInfoDlg::~SystemInfoDlg()
{
    delete ui;
}

QString SystemInfoDlg::reportText() const
{
    return ui->OpenCLInfo->toPlainText();
}
