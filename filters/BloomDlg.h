#pragma once
// "Bloom": threshold and radius sliders with their spin boxes.
#include "FilterDialog.h"

namespace Ui {
class BloomDlg;
}

class BloomDlg : public FilterDialog
{
    Q_OBJECT
public:
    explicit BloomDlg(QWidget *pParent = nullptr);
    ~BloomDlg() override;

    FilterValues Values() const override;
    void SetValues(const FilterValues &values) override;
    void SetParams(const FilterParams &params) override;

Q_SIGNALS:
    void ThresholdChanged(int iValue);
    void RadiusChanged(int iValue);

private:
    Ui::BloomDlg *ui;
};
