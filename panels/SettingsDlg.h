#pragma once
// Edits the compute settings read at the next start and the look of the
// document area. Each box writes its key the moment it is toggled, so
// cancelling keeps what was toggled.
#include "CQDialog.h"

namespace Ui { class SettingsDlg; }

class SettingsDlg : public CQDialog
{
    Q_OBJECT
public:
    explicit SettingsDlg(QWidget *parent = nullptr);
    ~SettingsDlg() override;

public slots:
    void on_openCLForceCPU_toggled(bool bState);
    void on_openCLLoadKernelAtStartup_toggled(bool bState);
    void on_tabbedDocuments_toggled(bool bState);

Q_SIGNALS:
    void TabbedDocumentsChanged(bool bTabs);
    // Seconds between recovery copies; 0 turns them off.
    void AutosaveIntervalChanged(int iSeconds);

private:
    Ui::SettingsDlg *ui;
};
