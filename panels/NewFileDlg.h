#pragma once
#include "CQDialog.h"

class SizeLimit;

namespace Ui { class NewFileDlg; }

// File > New: asks for the canvas size of a new document.
class NewFileDlg : public CQDialog {
    Q_OBJECT
public:
    explicit NewFileDlg(QWidget *pParent = nullptr);
    ~NewFileDlg() override;
    QSize ChosenSize() const;
    // Only a size that can be saved closes the dialog.
    void accept() override;

public Q_SLOTS:
    void on_aspectRatio_toggled(bool bValue);
    void on_canvasHeight_valueChanged(int iVal);
    void on_canvasWidth_valueChanged(int iVal);

private:
    void UpdateRatio();
    void SideChanged(bool bWidth, int iVal);
    double m_dRatio = 0;
    bool m_bGuard = false;
    Ui::NewFileDlg *m_pUi;
    SizeLimit *m_pLimit = nullptr;
};
