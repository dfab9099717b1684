#pragma once
// "Color Levels": red, green and blue offsets (Cyan-Red, Magenta-Green,
// Yellow-Blue) and a monochrome switch; the controls are found by the names
// the filter's table gives them.
#include "FilterDialog.h"

namespace Ui {
class ColorBalanceDlg;
}

class ColorBalanceDlg : public FilterDialog
{
    Q_OBJECT
public:
    explicit ColorBalanceDlg(const FilterParams &params, QWidget *pParent = nullptr);
    ~ColorBalanceDlg() override;

    FilterValues Values() const override;
    void SetValues(const FilterValues &values) override;

private:
    Ui::ColorBalanceDlg *ui;
    ParamControls m_controls;
};
