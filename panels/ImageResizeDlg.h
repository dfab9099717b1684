#pragma once
#include "CQDialog.h"

class ProportionLink;
class SizeLimit;

namespace Ui { class ImageResizeDlg; }

// Image > Image Size: asks for the new size; the caller pushes the command.
class ImageResizeDlg : public CQDialog {
    Q_OBJECT
public:
    ImageResizeDlg(int iWidth, int iHeight, QWidget *pParent = nullptr);
    ~ImageResizeDlg() override;
    QSize ChosenSize() const { return m_chosen; }

public Q_SLOTS:
    void on_aspectRatioCheckBox_toggled(bool bValue);
    void widthSpinBoxChanged(int iVal);
    void heightSpinBoxChanged(int iVal);
    void accept() override;

private:
    ProportionLink *m_pLink = nullptr;
    SizeLimit *m_pLimit = nullptr;
    Ui::ImageResizeDlg *m_pUi;
    QSize m_chosen;
};
