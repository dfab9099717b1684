#pragma once
// "Color Substitute": the hue wheel, "use range", and saturation and
// lightness adjustments.
#include "FilterDialog.h"

namespace Ui {
class HueChangeFilterDlg;
}
class HueModifyWidget;

class HueChangeFilterDlg : public FilterDialog
{
    Q_OBJECT
public:
    explicit HueChangeFilterDlg(QWidget *pParent = nullptr);
    ~HueChangeFilterDlg() override;

    FilterValues Values() const override;
    void SetValues(const FilterValues &values) override;
    void SetParams(const FilterParams &params) override;

    HueModifyWidget *Wheel() const;

private:
    Ui::HueChangeFilterDlg *ui;
};
