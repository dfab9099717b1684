#include "KernelReportDlg.h"
#include "ui_KernelReportDlg.h"

KernelReportDlg::KernelReportDlg(const QMap<QString, QString> &report, QWidget *pParent)
    : QDialog(pParent), ui(new Ui::KernelReportDlg), m_report(report)
{
    ui->setupUi(this);
    setAttribute(Qt::WA_DeleteOnClose);
    ui->programList->addItems(report.keys());
    connect(ui->programList, &QListWidget::currentRowChanged, this, &KernelReportDlg::ShowSelected);
    connect(ui->closeButton, &QPushButton::clicked, this, &QDialog::close);
    if (ui->programList->count() > 0)
        ui->programList->setCurrentRow(0);
    ShowSelected();
}

KernelReportDlg::~KernelReportDlg()
{
    delete ui;
}

void KernelReportDlg::Select(const QString &name)
{
    const QList<QListWidgetItem *> found = ui->programList->findItems(name, Qt::MatchExactly);
    if (!found.isEmpty())
        ui->programList->setCurrentItem(found.first());
}

QString KernelReportDlg::ShownText() const
{
    return ui->reportText->toPlainText();
}

void KernelReportDlg::showEvent(QShowEvent *event)
{
    ShowSelected();
    QDialog::showEvent(event);
}

void KernelReportDlg::ShowSelected()
{
    const QListWidgetItem *pItem = ui->programList->currentItem();
    ui->reportText->setPlainText(pItem ? m_report.value(pItem->text()) : QString());
}
