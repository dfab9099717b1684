#pragma once
// "Glamour Glow": blur size and intensity sliders with their spin boxes.
#include "FilterDialog.h"

namespace Ui {
class GlamourGlowDlg;
}

class GlamourGlowDlg : public FilterDialog
{
    Q_OBJECT
public:
    explicit GlamourGlowDlg(QWidget *pParent = nullptr);
    ~GlamourGlowDlg() override;

    FilterValues Values() const override;
    void SetValues(const FilterValues &values) override;
    void SetParams(const FilterParams &params) override;

Q_SIGNALS:
    void BlurChanged(int iValue);
    void IntensityChanged(int iValue);

private:
    Ui::GlamourGlowDlg *ui;
};
