#pragma once
// "Color Substitute": the hue wheel, "use range", and saturation and
// lightness adjustments. The table's entries shown its own way are, in
// order, the wheel's hue and its range (START,SPAN, present only with
// "use range").
#include "FilterDialog.h"

namespace Ui {
class HueChangeFilterDlg;
}
class HueModifyWidget;

class HueChangeFilterDlg : public FilterDialog
{
    Q_OBJECT
public:
    explicit HueChangeFilterDlg(const FilterParams &params, QWidget *pParent = nullptr);
    ~HueChangeFilterDlg() override;

    FilterValues Values() const override;
    void SetValues(const FilterValues &values) override;

    HueModifyWidget *Wheel() const;

private:
    Ui::HueChangeFilterDlg *ui;
    ParamControls m_controls;
    QString m_hueKey;
    QString m_rangeKey;
};
