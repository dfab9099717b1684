#pragma once
// "OpenCL Programs": the build report, one entry per program or filter, with
// the selected entry's text (a build log or a filter's loading error).
#include <QDialog>
#include <QMap>

namespace Ui {
class KernelReportDlg;
}

class KernelReportDlg : public QDialog
{
    Q_OBJECT
public:
    explicit KernelReportDlg(const QMap<QString, QString> &report, QWidget *pParent = nullptr);
    ~KernelReportDlg() override;

    // Selects an entry by name (the one a failed filter wants shown).
    void Select(const QString &name);
    QString ShownText() const;

protected:
    void showEvent(QShowEvent *event) override;

private:
    void ShowSelected();

    Ui::KernelReportDlg *ui;
    QMap<QString, QString> m_report;
};
