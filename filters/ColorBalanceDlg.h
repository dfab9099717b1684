#pragma once
// "Color Levels": red, green and blue offsets (Cyan-Red, Magenta-Green,
// Yellow-Blue) and a monochrome switch.
#include "FilterDialog.h"

namespace Ui {
class ColorBalanceDlg;
}

class ColorBalanceDlg : public FilterDialog
{
    Q_OBJECT
public:
    explicit ColorBalanceDlg(QWidget *pParent = nullptr);
    ~ColorBalanceDlg() override;

    FilterValues Values() const override;
    void SetValues(const FilterValues &values) override;
    void SetParams(const FilterParams &params) override;

Q_SIGNALS:
    void RedChanged(int iValue);
    void GreenChanged(int iValue);
    void BlueChanged(int iValue);
    void MonochromeToggled(bool bOn);

private:
    Ui::ColorBalanceDlg *ui;
};
