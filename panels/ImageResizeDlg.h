#pragma once
#include "CQDialog.h"

namespace Ui { class ImageResizeDlg; }

// Image > Image Size: asks for the new size; the caller pushes the command.
class ImageResizeDlg : public CQDialog {
    Q_OBJECT
public:
    ImageResizeDlg(int iWidth, int iHeight, QWidget *pParent = nullptr);
    ~ImageResizeDlg() override;
    QSize ChosenSize() const { return m_chosen; }

public Q_SLOTS:
    void accept() override;

private:
    Ui::ImageResizeDlg *m_pUi;
    QSize m_chosen;
};
