#pragma once
#include <QIcon>
#include "CQDialog.h"

class ProportionLink;
class SizeLimit;

namespace Ui { class CanvasSizeDlg; }
class QPushButton;

// Image > Canvas Size: a new size and the anchor the old image keeps.
class CanvasSizeDlg : public CQDialog {
    Q_OBJECT
public:
    CanvasSizeDlg(int iWidth, int iHeight, QWidget *pParent = nullptr);
    ~CanvasSizeDlg() override;
    int Anchor() const { return m_iAnchor; }
    QSize ChosenSize() const;
    // Only a size that can be saved closes the dialog.
    void accept() override;

public Q_SLOTS:
    void on_aspectRatioCheckBox_toggled(bool bValue);
    void widthSpinBoxChanged(int iVal);
    void heightSpinBoxChanged(int iVal);
    void on_anchor_topLeft_clicked();
    void on_anchor_top_clicked();
    void on_anchor_topRight_clicked();
    void on_anchor_left_clicked();
    void on_anchor_center_clicked();
    void on_anchor_right_clicked();
    void on_anchor_bottomLeft_clicked();
    void on_anchor_bottom_clicked();
    void on_anchor_bottomRight_clicked();

private:
    ProportionLink *m_pLink = nullptr;
    SizeLimit *m_pLimit = nullptr;
    void SetAnchor(int iAnchor);
    Ui::CanvasSizeDlg *m_pUi;
    int m_iAnchor = 4;
    QIcon m_icons[9];
};
