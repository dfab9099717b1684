#pragma once
#include "CQDialog.h"

namespace Ui {
class SystemInfoDlg;
}

// Shows the OpenCL platform and device report, built once when the dialog
// is made.
class SystemInfoDlg : public CQDialog
{
    Q_OBJECT

public:
    explicit SystemInfoDlg(QWidget *parent = nullptr);
    // With a report built elsewhere (tests, crash report).
    SystemInfoDlg(const QString &report, QWidget *parent);
    ~SystemInfoDlg() override;

    QString reportText() const;

private:
    Ui::SystemInfoDlg *ui;
};
